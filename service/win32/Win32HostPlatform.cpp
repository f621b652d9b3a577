#include "Win32HostPlatform.h"

#include <sddl.h>

#include <cstdio>

#include "Kestrelsvc.h"
#include "ModuleFiles.h"
#include "TextConversion.h"

namespace kestrel {
namespace {

ServiceModule* g_module = nullptr;

void WINAPI ServiceMain(DWORD, LPWSTR*) {
    if (g_module != nullptr) g_module->ServiceEntry();
}

void WINAPI ControlHandler(DWORD control) {
    if (g_module != nullptr) g_module->HandleControl(control);
}

// One piece of the token's information (TOKEN_USER, TOKEN_PRIMARY_GROUP).
std::vector<BYTE> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> data(size);
    if (size == 0 || !GetTokenInformation(token, kind, data.data(), size, &size)) data.clear();
    return data;
}

// A copy of the SID so it outlives the token information it came from.
std::vector<BYTE> CopiedSid(PSID sid) {
    std::vector<BYTE> copy;
    if (sid == nullptr || !IsValidSid(sid)) return copy;
    copy.resize(GetLengthSid(sid));
    CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
    return copy;
}

std::vector<BYTE> AccessList(const std::vector<AccessRule>& rules) {
    std::vector<PSID> sids;
    DWORD size = sizeof(ACL);
    for (const AccessRule& rule : rules) {
        PSID sid = nullptr;
        if (!ConvertStringSidToSidW(Widen(rule.sid).c_str(), &sid)) continue;
        sids.push_back(sid);
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    }
    std::vector<BYTE> list(size);
    PACL acl = reinterpret_cast<PACL>(list.data());
    bool built = InitializeAcl(acl, size, ACL_REVISION) != FALSE && sids.size() == rules.size();
    for (std::size_t i = 0; built && i < rules.size(); ++i) {
        built = (rules[i].allow ? AddAccessAllowedAce(acl, ACL_REVISION, rules[i].rights, sids[i])
                                : AddAccessDeniedAce(acl, ACL_REVISION, rules[i].rights, sids[i])) != FALSE;
    }
    for (PSID sid : sids) LocalFree(sid);
    if (!built) list.clear();
    return list;
}

}  // namespace

Win32HostPlatform::Win32HostPlatform() = default;

Win32HostPlatform::~Win32HostPlatform() {
    g_module = nullptr;
    delete factory_;
}

void Win32HostPlatform::Attach(ServiceModule& module) {
    module_ = &module;
    g_module = &module;
}

WinResult Win32HostPlatform::InitializeCom() { return CoInitialize(nullptr); }

void Win32HostPlatform::UninitializeCom() { CoUninitialize(); }

WinResult Win32HostPlatform::RegisterTypeLibrary(const std::string& modulePath, const std::string& helpDirectory) {
    std::wstring path = Widen(modulePath);
    ITypeLib* library = nullptr;
    HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (FAILED(result)) {
        path = Widen(TypeLibraryBeside(modulePath));
        result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
        if (FAILED(result)) return result;
    }
    std::wstring help = Widen(helpDirectory);
    result = RegisterTypeLib(library, &path[0], &help[0]);
    library->Release();
    return result;
}

void Win32HostPlatform::UnregisterTypeLibrary(const std::string&) {
    using Unregister = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
    HMODULE oleaut = LoadLibraryW(L"oleaut32.dll");
    if (oleaut == nullptr) return;
    const auto unregister = reinterpret_cast<Unregister>(
        reinterpret_cast<void (*)()>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
    if (unregister != nullptr) {
        unregister(LIBID_KESTRELSVCLib, 1, 0, LOCALE_NEUTRAL, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    }
    FreeLibrary(oleaut);
}

void Win32HostPlatform::InitializeSecurity(const std::vector<AccessRule>& rules) {
    HANDLE token = nullptr;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) &&
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        token = nullptr;
    }
    if (token != nullptr) {
        const std::vector<BYTE> user = TokenInformation(token, TokenUser);
        const std::vector<BYTE> group = TokenInformation(token, TokenPrimaryGroup);
        if (!user.empty()) owner_ = CopiedSid(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
        if (!group.empty()) {
            group_ = CopiedSid(reinterpret_cast<const TOKEN_PRIMARY_GROUP*>(group.data())->PrimaryGroup);
        }
        CloseHandle(token);
    }
    accessList_ = AccessList(rules);

    InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
    if (!owner_.empty()) SetSecurityDescriptorOwner(&descriptor_, owner_.data(), FALSE);
    if (!group_.empty()) SetSecurityDescriptorGroup(&descriptor_, group_.data(), FALSE);
    // An access list that can't be built denies everyone rather than admitting everyone.
    PACL acl = accessList_.empty() ? nullptr : reinterpret_cast<PACL>(accessList_.data());
    if (acl == nullptr) {
        accessList_.resize(sizeof(ACL));
        acl = reinterpret_cast<PACL>(accessList_.data());
        InitializeAcl(acl, sizeof(ACL), ACL_REVISION);
    }
    SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE);
    CoInitializeSecurity(&descriptor_, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT, RPC_C_IMP_LEVEL_IMPERSONATE,
                         nullptr, EOAC_NONE, nullptr);
}

void Win32HostPlatform::FreeSecurity() {
    owner_.clear();
    group_.clear();
    accessList_.clear();
}

void Win32HostPlatform::RegisterClassObjects(std::uint32_t classContext) {
    if (factory_ == nullptr) factory_ = new DevEnablerFactory(*module_, devices_);
    classRegistered_ = SUCCEEDED(CoRegisterClassObject(CLSID_DevEnabler, factory_, classContext,
                                                       REGCLS_MULTIPLEUSE, &classCookie_));
}

void Win32HostPlatform::RevokeClassObjects() {
    if (classRegistered_) CoRevokeClassObject(classCookie_);
    classRegistered_ = false;
}

HostPlatform::ThreadId Win32HostPlatform::CurrentThreadId() { return GetCurrentThreadId(); }

void Win32HostPlatform::PostQuit(ThreadId thread) { PostThreadMessageW(thread, WM_QUIT, 0, 0); }

void Win32HostPlatform::PumpMessages() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
}

bool Win32HostPlatform::RunServiceDispatcher(const std::string& serviceName) {
    std::wstring name = Widen(serviceName);
    SERVICE_TABLE_ENTRYW table[] = {{&name[0], ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) != FALSE;
}

HostPlatform::StatusHandle Win32HostPlatform::RegisterControlHandler(const std::string& serviceName) {
    return reinterpret_cast<StatusHandle>(RegisterServiceCtrlHandlerW(Widen(serviceName).c_str(), ControlHandler));
}

void Win32HostPlatform::ReportServiceStatus(StatusHandle handle, const ServiceStatus& status) {
    SERVICE_STATUS platformStatus = {status.serviceType,    status.currentState,
                                     status.controlsAccepted, status.win32ExitCode,
                                     status.serviceSpecificExitCode, status.checkPoint,
                                     status.waitHint};
    SetServiceStatus(reinterpret_cast<SERVICE_STATUS_HANDLE>(handle), &platformStatus);
}

void Win32HostPlatform::WriteEventLog(const std::string& serviceName, const std::string& text) {
    HANDLE source = RegisterEventSourceW(nullptr, Widen(serviceName).c_str());
    if (source == nullptr) return;
    const std::wstring wide = Widen(text);
    LPCWSTR strings[] = {wide.c_str()};
    ReportEventW(source, EVENTLOG_INFORMATION_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

void Win32HostPlatform::WriteStandardOutput(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

void Win32HostPlatform::ShowNotice(const std::string& text, const std::string& caption) {
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), MB_OK);
}

}  // namespace kestrel
