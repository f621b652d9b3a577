// mkfirmware: writes the embedded firmware images and their resource script
// from the catalogue description.
//
//   mkfirmware DESCRIPTION OUTPUT_DIR
//
// Output is deterministic: the same description always gives the same files.
#include <cstdio>
#include <fstream>
#include <string>

#include "FirmwareDescription.h"
#include "ImageGenerator.h"

namespace {

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "mkfirmware: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkfirmware DESCRIPTION OUTPUT_DIR\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "mkfirmware: cannot read %s\n", argv[1]);
        return 1;
    }
    meru::CatalogueDescription catalogue;
    std::string error;
    if (!meru::ParseCatalogueDescription(in, catalogue, error) ||
        !meru::ValidateCatalogueDescription(catalogue, error)) {
        std::fprintf(stderr, "mkfirmware: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const std::string directory = argv[2];
    for (const meru::ImageDescription& image : catalogue.images) {
        if (!WriteFile(directory + "/" + image.fileName, meru::GenerateImageText(image))) return 1;
    }
    if (!WriteFile(directory + "/firmware.rc", meru::GenerateResourceScript(catalogue))) return 1;
    std::printf("mkfirmware: %zu images written to %s\n", catalogue.images.size(), directory.c_str());
    return 0;
}
