#include "Win32ResourceSource.h"

#include <windows.h>

namespace meru {

bool Win32ResourceSource::Load(unsigned id, std::string& text) {
    const std::string name = "#" + std::to_string(id);
    HRSRC found = ::FindResourceA(nullptr, name.c_str(), "FIRMWARE");
    if (found == nullptr) return false;
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    if (loaded == nullptr) return false;
    const DWORD size = ::SizeofResource(nullptr, found);
    const void* data = ::LockResource(loaded);
    if (size == 0) {
        text.clear();
        return true;
    }
    if (data == nullptr) return false;
    text.assign(static_cast<const char*>(data), size);
    return true;
}

}  // namespace meru
