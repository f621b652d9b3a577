// meru-inspect FILE...: shows what the updater reads from firmware images
// (S-record files) and production-data files (.pda).
#include <cstdio>
#include <string>

#include "CatalogueReport.h"
#include "ImageReport.h"
#include "PdaReport.h"
#include "base/SessionLog.h"

namespace {

bool EndsWithPda(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".pda";
}

bool InspectFile(const std::string& path) {
    std::printf("== %s\n", path.c_str());
    const bool ok = EndsWithPda(path) ? inspect::ReportPdaFile(path, stdout) : inspect::ReportImageFile(path, stdout);
    std::fflush(stdout);
    if (!ok) std::fprintf(stderr, "\nmeru-inspect: %s could not be read\n", path.c_str());
    return ok;
}

int Usage() {
    std::fprintf(stderr, "usage: meru-inspect FILE...\n"
                         "  S-record image (any name): identities, compatibility, platforms, blocks, plugs\n"
                         "  .pda file: production data records and end-record check\n"
                         "       meru-inspect --catalogue DIR\n"
                         "  the embedded firmware catalogue, read from DIR (updater/resources/firmware)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    // The readers' own diagnostics go to stderr as they happen.
    meru::TheSessionLog().SetEnabled(true);
    meru::TheSessionLog().UseStream(stderr);

    if (std::string(argv[1]) == "--catalogue") {
        if (argc != 3) return Usage();
        return inspect::ReportCatalogue(argv[2], stdout) ? 0 : 1;
    }

    bool allRead = true;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) std::printf("\n");
        allRead = InspectFile(argv[i]) && allRead;
    }
    return allRead ? 0 : 1;
}
