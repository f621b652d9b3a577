#include "Win32Registry.h"

#include <windows.h>

#include <vector>

#include "TextConversion.h"

namespace kestrel {
namespace {

// An open key below HKEY_CLASSES_ROOT, closed with the object.
class OpenedKey {
public:
    OpenedKey(const std::wstring& path, REGSAM access)
        : status_(RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, access, &key_)) {}
    ~OpenedKey() {
        if (status_ == ERROR_SUCCESS) RegCloseKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    LONG Status() const { return status_; }
    HKEY Key() const { return key_; }

private:
    HKEY key_ = nullptr;
    LONG status_;
};

// Deletes every subkey below the key, depth first (RegDeleteTree is not on
// every system the program runs on).
LONG DeleteSubkeys(const std::wstring& path) {
    for (;;) {
        std::wstring child;
        {
            OpenedKey key(path, KEY_READ);
            if (key.Status() != ERROR_SUCCESS) return key.Status();
            wchar_t name[256];
            DWORD length = 256;
            const LONG found = RegEnumKeyExW(key.Key(), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (found == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            if (found != ERROR_SUCCESS) return found;
            child = path + L"\\" + std::wstring(name, length);
        }
        const LONG cleared = DeleteSubkeys(child);
        if (cleared != ERROR_SUCCESS) return cleared;
        const LONG deleted = RegDeleteKeyW(HKEY_CLASSES_ROOT, child.c_str());
        if (deleted != ERROR_SUCCESS) return deleted;
    }
}

}  // namespace

WinResult Win32Registry::OpenKey(const std::string& path, bool forWriting) {
    return OpenedKey(Widen(path), forWriting ? KEY_READ | KEY_WRITE : KEY_READ).Status();
}

WinResult Win32Registry::CreateKey(const std::string& path) {
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_WRITE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status;
}

WinResult Win32Registry::DeleteTree(const std::string& path) {
    const std::wstring wide = Widen(path);
    const LONG cleared = DeleteSubkeys(wide);
    if (cleared != ERROR_SUCCESS) return cleared;
    return RegDeleteKeyW(HKEY_CLASSES_ROOT, wide.c_str());
}

WinResult Win32Registry::DeleteKey(const std::string& path) {
    return RegDeleteKeyW(HKEY_CLASSES_ROOT, Widen(path).c_str());
}

bool Win32Registry::HasSubkeys(const std::string& path) {
    OpenedKey key(Widen(path), KEY_READ);
    if (key.Status() != ERROR_SUCCESS) return false;
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key.Key(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return true;  // unknown: keep the key
    }
    return subkeys != 0;
}

WinResult Win32Registry::SetString(const std::string& path, const std::string& name, const std::string& value) {
    OpenedKey key(Widen(path), KEY_SET_VALUE);
    if (key.Status() != ERROR_SUCCESS) return key.Status();
    const std::wstring data = Widen(value);
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));  // with the NUL
    return RegSetValueExW(key.Key(), name.empty() ? nullptr : Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes);
}

WinResult Win32Registry::DeleteValue(const std::string& path, const std::string& name) {
    OpenedKey key(Widen(path), KEY_SET_VALUE);
    if (key.Status() != ERROR_SUCCESS) return key.Status();
    return RegDeleteValueW(key.Key(), name.empty() ? nullptr : Widen(name).c_str());
}

WinResult Win32Registry::QueryString(const std::string& path, const std::string& name, std::size_t bufferBytes,
                                     std::string& value) {
    OpenedKey key(Widen(path), KEY_READ);
    if (key.Status() != ERROR_SUCCESS) return key.Status();
    // bufferBytes characters, and room for a NUL the stored data may lack.
    std::vector<wchar_t> buffer(bufferBytes + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(bufferBytes * sizeof(wchar_t));
    const LONG status = RegQueryValueExW(key.Key(), name.empty() ? nullptr : Widen(name).c_str(), nullptr,
                                         nullptr, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status == ERROR_SUCCESS) value = Narrow(buffer.data());
    return status;
}

}  // namespace kestrel
