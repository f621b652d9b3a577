#include "DirectoryResourceSource.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "Catalogue.h"

namespace meru {

DirectoryResourceSource::DirectoryResourceSource(std::string directory) : directory_(std::move(directory)) {}

bool DirectoryResourceSource::Load(unsigned id, std::string& text) {
    const char* name = CatalogueFileName(id);
    if (name == nullptr) return false;
    std::ifstream in(directory_ + "/" + name, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace meru
