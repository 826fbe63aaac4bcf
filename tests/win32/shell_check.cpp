// shell_check.exe: checks the Win32 shell requests under Wine: a self-registering
// library is loaded and its DllRegisterServer runs (it writes a marker), a library
// without it and a missing one are told apart, one whose DllRegisterServer faults
// raises ShellError and the program goes on, a shell link is written and read back
// through IShellLinkW, and a replace-on-reboot request lands in the registry's
// PendingFileRenameOperations. Arguments: the number of the line before the first
// one it prints, and a scratch directory (Windows path) holding register_server.dll.
// Prints one "ok"/"not ok" line per check; the exit code is the number of failed
// checks.

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "common/text.hpp"
#include "platform/win32/wide.hpp"
#include "platform/win32/win32_shell.hpp"
#include "platform/win32/win32_ui.hpp"

namespace {

namespace platform = instalator::platform;
namespace win32 = instalator::platform::win32;

int number = 0;
int failures = 0;

void Report(bool ok, const std::string& what) {
    ++number;
    std::printf("%s %d - %s\n", ok ? "ok" : "not ok", number, what.c_str());
    if (!ok) ++failures;
}

std::string ReadAll(const std::string& path) {
    std::string text;
    FILE* file = _wfopen(win32::Wide(path).c_str(), L"rb");
    if (file == nullptr) return text;
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
    return text;
}

void CheckRegistration(win32::Win32Shell& shell, const std::string& dir) {
    using Outcome = platform::Registration::Outcome;
    const std::string marker = dir + "\\marker.txt";
    ::SetEnvironmentVariableW(L"REGISTER_MARKER", win32::Wide(marker).c_str());
    const platform::Registration done = shell.RegisterLibrary(dir + "\\register_server.dll");
    Report(done.outcome == Outcome::Registered && ReadAll(marker) == "registered\r\n",
           "DllRegisterServer of a library runs once");
    Report(::GetModuleHandleW(L"register_server.dll") == nullptr, "the library is freed again");
    // This program exports nothing of that name: loaded, but no entry point.
    wchar_t self[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const platform::Registration none = shell.RegisterLibrary(win32::Narrow(self));
    Report(none.outcome == Outcome::NoEntryPoint, "a module without DllRegisterServer is told apart");
    const platform::Registration missing = shell.RegisterLibrary(dir + "\\missing.dll");
    Report(missing.outcome == Outcome::NotLoaded && missing.code != 0, "a missing library is not loaded");
    Report(shell.RegisterLibrary("").outcome == Outcome::NotLoaded, "an empty path loads nothing");
}

// The head of this thread's exception chain.
const void* ChainHead() {
    const void* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}

// True when the harness runs 32-bit programs through a user-mode emulator: the
// exception code Wine reports for a hardware fault then depends on how the emulator
// delivers the signal (an illegal instruction for a write to address 0, say).
bool Emulated() { return ::GetEnvironmentVariableW(L"INSTALATOR_I386_EMULATED", nullptr, 0) != 0; }

// What the ShellError's text must hold: the whole expected start, or, for a hardware
// fault under emulation, the exception and the place without the code.
bool NamesTheFault(const std::string& message, const std::string& library, const std::string& reason) {
    const std::string expected = "DllRegisterServer of " + library + " ended with " + reason;
    if (message.compare(0, expected.size(), expected) == 0) return true;
    const std::string place = " at register_server.dll+";
    const bool hardware = reason.starts_with("exception C0") && reason.ends_with(place);
    const std::string start = "DllRegisterServer of " + library + " ended with exception ";
    return Emulated() && hardware && message.starts_with(start) && message.find(place) != std::string::npos;
}

// DllRegisterServer ends in an exception it does not handle: RegisterLibrary throws
// ShellError naming the exception and where it was raised, the library is freed, the
// exception chain is as before and the program goes on; registrations afterwards,
// and one whose library handles its own faults, still work.
void CheckFaultyRegistration(win32::Win32Shell& shell, const std::string& dir) {
    struct Case {
        const wchar_t* fault;
        std::string reason;  // the start of the text after "... ended with "
    };
    const Case cases[] = {
        {L"write", "exception C0000005 (access violation writing address 00000000) at register_server.dll+"},
        {L"divide", "exception C0000094 (integer division by zero) at register_server.dll+"},
        {L"raise", "exception E0001234 at "},  // raised inside the system's RaiseException
        {L"overflow", "exception C00000FD (stack overflow) at register_server.dll+"},
    };
    const std::string library = dir + "\\register_server.dll";
    const std::string marker = dir + "\\fault_marker.txt";
    ::SetEnvironmentVariableW(L"REGISTER_MARKER", win32::Wide(marker).c_str());
    const void* const head = ChainHead();
    for (const Case& c : cases) {
        const std::string what = "DllRegisterServer faulting (" + win32::Narrow(c.fault) + ")";
        ::SetEnvironmentVariableW(L"REGISTER_FAULT", c.fault);
        std::string message = "(no error)";
        try {
            shell.RegisterLibrary(library);
        } catch (const platform::ShellError& error) {
            message = error.what();
        }
        Report(NamesTheFault(message, library, c.reason), what + " raises ShellError: " + message);
        Report(ChainHead() == head && ::GetModuleHandleW(L"register_server.dll") == nullptr && ReadAll(marker).empty(),
               what + " leaves the exception chain as it was, the library freed, nothing registered");
    }
    ::SetEnvironmentVariableW(L"REGISTER_FAULT", L"handled");
    const platform::Registration handled = shell.RegisterLibrary(library);
    Report(handled.outcome == platform::Registration::Outcome::Registered && ReadAll(marker) == "registered\r\n",
           "faults the library handles itself do not stop its registration");
    ::SetEnvironmentVariableW(L"REGISTER_FAULT", nullptr);
    const platform::Registration normal = shell.RegisterLibrary(library);
    Report(normal.outcome == platform::Registration::Outcome::Registered &&
               ReadAll(marker) == "registered\r\nregistered\r\n" && ChainHead() == head,
           "a registration after the faults works");
}

void CheckLink(win32::Win32Shell& shell, const std::string& dir) {
    const std::string path = dir + instalator::common::Cp1250(u8"\\Skrót ąę.lnk");
    const bool saved = shell.NewLink({"C:\\Program Files\\Q\\Q07.EXE", "\"C:\\Program Files\\Q\\Setup.uni\"",
                                       "C:\\Program Files\\Q\\"})
                           ->Save(path);
    Report(saved, "a link is saved");
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = L"", arguments[MAX_PATH] = L"", directory[MAX_PATH] = L"";
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(win32::Wide(path).c_str(), STGM_READ))) {
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetArguments(arguments, MAX_PATH);
        link->GetWorkingDirectory(directory, MAX_PATH);
    }
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    Report(std::wstring(target) == L"C:\\Program Files\\Q\\Q07.EXE", "the link's target reads back");
    Report(std::wstring(arguments) == L"\"C:\\Program Files\\Q\\Setup.uni\"", "the link's arguments read back");
    Report(std::wstring(directory) == L"C:\\Program Files\\Q\\", "the link's working directory reads back");
}

void CheckRebootQueue(win32::Win32Shell& shell, const std::string& dir) {
    const std::string source = dir + "\\NEW.q07";
    ::CloseHandle(::CreateFileW(win32::Wide(source).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Report(shell.QueueReplaceOnReboot(dir + "\\OLD.DLL", source), "a replace-on-reboot request is accepted");
    HKEY key = nullptr;
    std::wstring pending(4096, L'\0');
    DWORD size = static_cast<DWORD>(pending.size() * sizeof(wchar_t));
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ,
                        &key) == ERROR_SUCCESS) {
        if (::RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(pending.data()), &size) != ERROR_SUCCESS)
            size = 0;
        ::RegCloseKey(key);
    }
    pending.resize(size / sizeof(wchar_t));
    const std::wstring expected = win32::Wide("\\??\\" + source) + L'\0' + L"!" + win32::Wide("\\??\\" + dir + "\\OLD.DLL");
    Report(pending.find(expected) != std::wstring::npos, "the request stands in PendingFileRenameOperations");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    number = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
    const std::string dir = win32::Narrow(argv[2]);
    ::CoInitialize(nullptr);
    {
        win32::Win32Ui ui(::GetModuleHandleW(nullptr));
        win32::Win32Shell shell(ui);
        CheckRegistration(shell, dir);
        CheckFaultyRegistration(shell, dir);
        CheckLink(shell, dir);
        CheckRebootQueue(shell, dir);
    }
    ::CoUninitialize();
    return failures;
}
