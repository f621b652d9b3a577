#include "ResourceSource.h"

namespace meru {

namespace {
ResourceSource*& Installed() {
    static ResourceSource* source = nullptr;
    return source;
}
}  // namespace

void SetResourceSource(ResourceSource* source) { Installed() = source; }

ResourceSource* CurrentResourceSource() { return Installed(); }

}  // namespace meru
