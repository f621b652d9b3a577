#include "Win32RegistryWriter.h"

#include <windows.h>

namespace meru {

namespace {

HKEY ToHkey(RegistryWriter::Key key) { return reinterpret_cast<HKEY>(static_cast<uintptr_t>(key)); }

RegistryWriter::Key FromHkey(HKEY key) { return static_cast<RegistryWriter::Key>(reinterpret_cast<uintptr_t>(key)); }

}  // namespace

long Win32RegistryWriter::CreateKey(const std::string& path, Access access, Key& key) {
    char keyClass[] = "key";
    HKEY created = nullptr;
    DWORD disposition = 0;
    const LONG status = RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE,
                                        access == Access::kFull ? KEY_ALL_ACCESS : KEY_WRITE, nullptr, &created,
                                        &disposition);
    if (status == ERROR_SUCCESS) key = FromHkey(created);
    return status;
}

long Win32RegistryWriter::SetDefaultValue(Key key, const std::string& value) {
    // REG_SZ counts the terminating NUL.
    return RegSetValueExA(ToHkey(key), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

void Win32RegistryWriter::CloseKey(Key key) { RegCloseKey(ToHkey(key)); }

}  // namespace meru
