#pragma once

#include <string>

#include "ResourceSource.h"

namespace meru {

// Serves the embedded firmware from the catalogue's files in a directory
// (updater/resources/firmware in the source tree): resource id -> the file
// named by the catalogue tables, or the empty image.
class DirectoryResourceSource : public ResourceSource {
public:
    explicit DirectoryResourceSource(std::string directory);
    bool Load(unsigned id, std::string& text) override;

private:
    std::string directory_;
};

}  // namespace meru
