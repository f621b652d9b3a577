// The resources of Kestrelsvc.exe: version, service name and the embedded
// type library with its interface, DISPIDs and help strings.
#include <windows.h>

#include <string>
#include <vector>

#include "CheckReport.h"
#include "Kestrelsvc.h"

namespace kestrel_checks {
namespace {

std::wstring ProgramPath() {
    wchar_t own[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    std::wstring path(own, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Kestrelsvc.exe";
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return {};
    return static_cast<const wchar_t*>(value);
}

void CheckVersion(const std::wstring& program) {
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    Check(!info.empty() && GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()),
          "version resource");
    if (info.empty()) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    Check(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed != nullptr &&
              fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0x00000004 &&
              fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0x00000001,
          "file version 1.0.0.4, product version 1.0.0.1");
    Check(VersionString(info, L"FileDescription") == L"Kestrelsvc Module", "file description");
    Check(VersionString(info, L"InternalName") == L"Kestrelsvc", "internal name");
    Check(VersionString(info, L"OriginalFilename") == L"Kestrelsvc.EXE", "file name");
}

std::wstring Documentation(ITypeInfo* info, MEMBERID member, std::wstring* help = nullptr) {
    BSTR name = nullptr;
    BSTR doc = nullptr;
    if (FAILED(info->GetDocumentation(member, &name, &doc, nullptr, nullptr))) return {};
    std::wstring result = name != nullptr ? name : L"";
    if (help != nullptr) *help = doc != nullptr ? doc : L"";
    SysFreeString(name);
    SysFreeString(doc);
    return result;
}

void CheckInterface(ITypeLib* library) {
    ITypeInfo* info = nullptr;
    Check(SUCCEEDED(library->GetTypeInfoOfGuid(IID_IDevEnabler, &info)), "IDevEnabler in the type library");
    if (info == nullptr) return;
    std::wstring help;
    Check(Documentation(info, MEMBERID_NIL, &help) == L"IDevEnabler" && help == L"IDevEnabler Interface",
          "IDevEnabler help string");
    // Dual: the dispatch description refers to a vtable description marked oleautomation.
    HREFTYPE vtableSide = 0;
    ITypeInfo* vtableInfo = nullptr;
    Check(SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableSide)) &&
              SUCCEEDED(info->GetRefTypeInfo(vtableSide, &vtableInfo)),
          "IDevEnabler is dual");
    TYPEATTR* attributes = nullptr;
    if (vtableInfo != nullptr && SUCCEEDED(vtableInfo->GetTypeAttr(&attributes))) {
        Check(attributes->typekind == TKIND_INTERFACE && (attributes->wTypeFlags & TYPEFLAG_FDUAL) &&
                  (attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) && attributes->cFuncs == 4,
              "IDevEnabler: dual, oleautomation, four own methods");
        vtableInfo->ReleaseTypeAttr(attributes);
    }
    if (vtableInfo != nullptr) vtableInfo->Release();
    struct Method {
        MEMBERID id;
        const wchar_t* name;
        const wchar_t* help;
    };
    const Method methods[] = {{1, L"EnableDevice", L"method EnableDevice"},
                              {2, L"DisableDevice", L"method DisableDevice"},
                              {4, L"EnumerateNics", L"method EnumerateNics"},
                              {5, L"GetCurStatus", L"method GetCurStatus"}};
    for (const Method& method : methods) {
        Check(Documentation(info, method.id, &help) == method.name && help == method.help,
              "method DISPID, name and help string");
    }
    Check(Documentation(info, 3).empty(), "there is no DISPID 3");
    info->Release();
}

void CheckTypeLibrary(const std::wstring& program) {
    ITypeLib* library = nullptr;
    Check(SUCCEEDED(LoadTypeLibEx(program.c_str(), REGKIND_NONE, &library)), "type library embedded");
    if (library == nullptr) return;
    TLIBATTR* attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes))) {
        Check(IsEqualGUID(attributes->guid, LIBID_KESTRELSVCLib) && attributes->wMajorVerNum == 1 &&
                  attributes->wMinorVerNum == 0,
              "library GUID and version 1.0");
        library->ReleaseTLibAttr(attributes);
    }
    BSTR name = nullptr;
    BSTR doc = nullptr;
    library->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
    Check(name != nullptr && std::wstring(name) == L"KESTRELSVCLib", "library name");
    Check(doc != nullptr && std::wstring(doc) == L"Kestrelsvc 1.0 Type Library", "library help string");
    SysFreeString(name);
    SysFreeString(doc);
    CheckInterface(library);
    ITypeInfo* coclass = nullptr;
    Check(SUCCEEDED(library->GetTypeInfoOfGuid(CLSID_DevEnabler, &coclass)), "DevEnabler in the type library");
    if (coclass != nullptr) {
        std::wstring help;
        Check(Documentation(coclass, MEMBERID_NIL, &help) == L"DevEnabler" && help == L"DevEnabler Class",
              "DevEnabler help string");
        coclass->Release();
    }
    library->Release();
}

}  // namespace

void CheckProgramResources() {
    const std::wstring program = ProgramPath();
    CheckVersion(program);
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Check(module != nullptr, "program loads as data");
    if (module != nullptr) {
        wchar_t text[256] = {};
        Check(LoadStringW(module, 100, text, 256) > 0 && std::wstring(text) == L"Kestrelsvc", "string 100");
        Check(FindResourceW(module, MAKEINTRESOURCEW(1), L"TYPELIB") != nullptr, "resource TYPELIB 1");
        FreeLibrary(module);
    }
    CheckTypeLibrary(program);
}

}  // namespace kestrel_checks
