// The process entry of a Windows program: makes the system safe to run in, sets up
// the machine's Win32 objects and runs the program (platform/program.hpp) on them.

#include "platform/win32/win32_api.hpp"

#include <exception>

#include "common/text.hpp"
#include "platform/file_system.hpp"
#include "platform/forms.hpp"
#include "platform/platform.hpp"
#include "platform/program.hpp"
#include "platform/win32/com_scope.hpp"
#include "platform/win32/wide.hpp"
#include "platform/win32/win32_registry.hpp"
#include "platform/win32/win32_shell.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_ui.hpp"

namespace {

using namespace instalator;

// Libraries come from the system directory only, never from the folder Setup.exe
// was started from (a download folder may hold a planted copy). Windows before the
// KB2533623 update lacks SetDefaultDllDirectories, so it is looked up; removing the
// current directory from the search works everywhere.
void RestrictLibrarySearch() {
    using SetDefault = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = reinterpret_cast<SetDefault>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
}

// The system shows no box of its own for a drive without a disk or a file it cannot
// open: the installer asks for the next diskette itself and reports what fails.
// The flags the process started with are kept.
void KeepSystemErrorBoxesAway() {
    ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

int Run(HINSTANCE instance) {
    platform::win32::Win32Ui ui(instance);
    platform::win32::Win32System system;
    platform::win32::Win32Registry registry;
    platform::win32::Win32Shell shell(ui);
    platform::Platform machine{platform::HostFileSystem(), registry, system, ui, shell};
    return platform::ProgramMain(machine);
}

}  // namespace

// An error that escapes outside every event is shown like the toolkit's default
// error box; the program's own result is the exit code.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    KeepSystemErrorBoxesAway();
    RestrictLibrarySearch();
    // The shell links need COM. EndProcess uninitialises it itself, since the process
    // ends there without unwinding.
    const platform::win32::ComScope com;
    int code = 0;
    try {
        code = Run(instance);
    } catch (const std::exception& error) {
        const std::wstring text = platform::win32::Wide(platform::ErrorBoxText(error.what()));
        const std::wstring caption = platform::win32::Wide(platform::kProgramTitle);
        ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
    }
    return code;
}
