#include "platform/win32/win32_shell.hpp"

#include "platform/win32/win32_api.hpp"
#include <objbase.h>
#include <ole2.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <memory>
#include <string>

#include "platform/win32/com_scope.hpp"
#include "platform/win32/form_window.hpp"
#include "platform/win32/guarded_call.hpp"
#include "platform/win32/handle.hpp"
#include "platform/win32/wide.hpp"
#include "platform/win32/win32_ui.hpp"

namespace instalator::platform::win32 {
namespace {

// The shell-link class and the two interfaces the installer uses of it.
constexpr CLSID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kShellLinkW = {0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// In-process or local server.
constexpr DWORD kServerContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;
// The shutdown reason ExitWindowsEx is given: an installation.
constexpr DWORD kInstallationReason = 2;

// One reference to a COM object, released when it goes.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    void** out() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

// An access token of this process that may adjust its privileges; none when it
// cannot be opened.
KernelObject PrivilegeToken() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return {};
    return KernelObject(token);
}

// Loads a library by its full path so that the libraries it needs are also found
// beside it. The program restricts the default search to the system directory
// (win_main.cpp) where the system can; there the library's own folder is added for
// this load. Systems without that restriction take the library's folder with the
// altered search path.
HMODULE LoadByPath(const std::wstring& path) {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const bool searchFlags = ::GetProcAddress(kernel, "SetDefaultDllDirectories") != nullptr;
    const DWORD flags = searchFlags ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
                                    : LOAD_WITH_ALTERED_SEARCH_PATH;
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, flags);
    // The search flags take absolute paths only.
    if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) module = ::LoadLibraryW(path.c_str());
    return module;
}

// The system's text for a COM status, without its line break.
std::string StatusText(HRESULT status) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(status), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    if (buffer != nullptr) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) {
        wchar_t code[32];
        ::wsprintfW(code, L"COM error 0x%08lX", static_cast<unsigned long>(status));
        text = code;
    }
    return Narrow(text);
}

// The shell-link object with the link's fields set; released when it goes.
class ShellLinkObject final : public LinkObject {
public:
    explicit ShellLinkObject(const ShellLink& link) {
        ComRef<IUnknown> object;
        const HRESULT created = ::CoCreateInstance(kShellLinkClass, nullptr, kServerContext, kUnknown, object.out());
        if (FAILED(created)) throw ShellError(StatusText(created));
        if (FAILED(object->QueryInterface(kShellLinkW, shellLink_.out())) ||
            FAILED(object->QueryInterface(kPersistFile, file_.out())))
            throw ShellError("Interface not supported");
        shellLink_->SetArguments(Wide(link.arguments).c_str());
        shellLink_->SetPath(Wide(link.target).c_str());
        shellLink_->SetWorkingDirectory(Wide(link.workingDirectory).c_str());
    }

    bool Save(const std::string& linkPath) override { return SUCCEEDED(file_->Save(Wide(linkPath).c_str(), FALSE)); }

private:
    ComRef<IShellLinkW> shellLink_;
    ComRef<IPersistFile> file_;
};

void EnableShutdownPrivilege() {
    const KernelObject token = PrivilegeToken();
    if (!token) return;  // no tokens on this system: nothing to enable
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

// An exception that the entry point of the library at path left unhandled raises
// ShellError naming it; the library is still loaded, for the location's module name.
void ThrowUnlessReturned(const GuardedResult& call, const char* entryName, const std::string& path) {
    if (call.faulted) throw ShellError(std::string(entryName) + " of " + path + " ended with " + FaultText(call.fault));
}

// Loads the library at path, calls its export entryName (DllRegisterServer or
// DllUnregisterServer) guarded, and frees it.
Registration CallServerEntry(const std::string& path, const char* entryName) {
    const OleScope ole;
    if (path.empty()) return {Registration::Outcome::NotLoaded, ERROR_MOD_NOT_FOUND};
    const Library library(LoadByPath(Wide(path)));
    if (!library) return {Registration::Outcome::NotLoaded, static_cast<std::uint32_t>(::GetLastError())};
    const auto entry =
        reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(::GetProcAddress(library.Get(), entryName)));
    if (entry == nullptr) return {Registration::Outcome::NoEntryPoint, 0};
    const GuardedResult call = CallGuarded(entry);
    ThrowUnlessReturned(call, entryName, path);
    if (FAILED(call.status)) return {Registration::Outcome::Refused, static_cast<std::uint32_t>(call.status)};
    return {};
}

}  // namespace

Registration Win32Shell::RegisterLibrary(const std::string& path) { return CallServerEntry(path, "DllRegisterServer"); }

Registration Win32Shell::UnregisterLibrary(const std::string& path) {
    return CallServerEntry(path, "DllUnregisterServer");
}

std::unique_ptr<LinkObject> Win32Shell::NewLink(const ShellLink& link) {
    return std::make_unique<ShellLinkObject>(link);
}

bool Win32Shell::QueueReplaceOnReboot(const std::string& destination, const std::string& source) {
    return ::MoveFileExW(Wide(source).c_str(), Wide(destination).c_str(),
                         MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

bool Win32Shell::QueueDeleteOnReboot(const std::string& path) {
    return ::MoveFileExW(Wide(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool Win32Shell::StartFile(const Form* owner, const std::string& file, const std::string& parameters,
                           const std::string& directory, int showCommand) {
    const FormWindow* window = owner != nullptr ? ui_.FormOf(*owner) : nullptr;
    const HINSTANCE result = ::ShellExecuteW(window != nullptr ? window->Handle() : nullptr, nullptr,
                                             Wide(file).c_str(), Wide(parameters).c_str(),
                                             Wide(directory).c_str(), showCommand);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool Win32Shell::RestartWindows() {
    EnableShutdownPrivilege();
    return ::ExitWindowsEx(EWX_REBOOT, kInstallationReason) != 0;
}

}  // namespace instalator::platform::win32
