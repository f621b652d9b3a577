#pragma once

#include <string>

namespace meru {

// Where embedded firmware comes from: the program's FIRMWARE resources on
// Windows, the catalogue's files in native builds.
class ResourceSource {
public:
    virtual ~ResourceSource() = default;
    // The text of the FIRMWARE resource "#<id>"; false when there is none.
    virtual bool Load(unsigned id, std::string& text) = 0;
};

// The source LoadResource reads from; nullptr: no resources at all.
void SetResourceSource(ResourceSource* source);
ResourceSource* CurrentResourceSource();

}  // namespace meru
