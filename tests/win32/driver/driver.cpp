// driver.exe: looks at and drives the windows of other programs from outside, for
// the tests that run Setup.exe under Wine. One command per run; output is UTF-8,
// one line per window or control, fields separated by tabs.
//
//   driver windows [EXE]              visible top-level windows with an area (of EXE only)
//   driver wait CAPTION [MS]          waits until a visible top-level window has CAPTION
//   driver gone CAPTION [MS]          waits until no visible top-level window has CAPTION
//   driver controls CAPTION           the controls of that window, depth first
//   driver click CAPTION TEXT         clicks the control with the text TEXT
//   driver clickwhen PATH CAPTION TEXT [MS]
//                                     waits until the file PATH holds a byte, then
//                                     clicks as click does, within milliseconds
//   driver watch EXE PATH [MS]        until the file PATH exists, looks every
//                                     millisecond for visible top-level windows of
//                                     EXE and prints each one seen (once), between
//                                     the lines "watching" and "watched"
//   driver close CAPTION              asks that window to close
//   driver hold PATH CAPTION [MS]     keeps PATH open without sharing (as a running
//                                     program keeps its file) until a window CAPTION
//                                     appears; prints "held" once the file is open
//   driver link PATH                  a shell link read through IShellLinkA: target,
//                                     arguments, working directory
//   driver foreground EXE CLASS       brings the top-level window of class CLASS of
//                                     EXE to the foreground, as a click on its taskbar
//                                     button does (a window without area too)
//   driver errormode EXE              the error mode (SetErrorMode) of the process of
//                                     EXE that shows a window, in hex
//
// A window line: handle, program, class, caption, window rect l,t,r,b, client rect
// in screen coordinates l,t,r,b, flags. A control line: depth, class, id, text, rect
// relative to the top-level client area l,t,w,h, flags. Exit code 0 on success, 1
// when the window or control is missing or the wait timed out, 2 for bad usage.

#include <algorithm>

#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultWaitMs = 10000;
// Short enough to catch a window that is up for a moment only: the copy window of a
// small product stays less than a tenth of a second.
constexpr DWORD kPollMs = 10;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

// Tabs and line breaks inside a text would break the line format.
std::string Field(const std::wstring& text) {
    std::wstring clean = text;
    for (auto& c : clean) {
        if (c == L'\t') c = L' ';
        if (c == L'\r' || c == L'\n') c = L'|';
    }
    return Utf8(clean);
}

std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    DWORD_PTR length = 0;
    // A hung target must not hang the test.
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                               &length))
        return {};
    return std::wstring(buffer, length);
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    const int length = ::GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, static_cast<std::size_t>(length));
}

std::wstring ProgramOf(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) return L"?";
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    const bool ok = ::QueryFullProcessImageNameW(process, 0, path, &size);
    ::CloseHandle(process);
    if (!ok) return L"?";
    const std::wstring full(path, size);
    const auto slash = full.find_last_of(L"\\/");
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

// A window without area cannot be seen even when it is visible (a program's hidden
// owner window carrying its taskbar button, for one): it is left out.
BOOL CALLBACK CollectVisible(HWND window, LPARAM list) {
    RECT area{};
    ::GetWindowRect(window, &area);
    if (::IsWindowVisible(window) && !::IsRectEmpty(&area))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindTopLevel(const std::wstring& caption) {
    for (HWND window : TopLevelWindows())
        if (TextOf(window) == caption) return window;
    return nullptr;
}

std::string Flags(HWND window) {
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    const LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
    std::string flags;
    auto add = [&](bool on, const char* name) {
        if (!on) return;
        if (!flags.empty()) flags += ',';
        flags += name;
    };
    add((style & WS_CAPTION) == WS_CAPTION, "caption");
    add((style & WS_SYSMENU) != 0, "sysmenu");
    add((style & WS_MINIMIZEBOX) != 0, "minbox");
    add((style & WS_MAXIMIZEBOX) != 0, "maxbox");
    add((style & WS_THICKFRAME) != 0, "sizable");
    add((style & WS_DLGFRAME) != 0 || (exStyle & WS_EX_DLGMODALFRAME) != 0, "dlgframe");
    add((style & WS_POPUP) != 0, "popup");
    add((exStyle & WS_EX_TOPMOST) != 0, "topmost");
    add(!::IsWindowEnabled(window), "disabled");
    add(::IsZoomed(window) != 0, "maximised");
    return flags.empty() ? "-" : flags;
}

void PrintWindow(HWND window) {
    RECT outer{}, client{};
    ::GetWindowRect(window, &outer);
    ::GetClientRect(window, &client);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    std::printf("%p\t%s\t%s\t%s\t%ld,%ld,%ld,%ld\t%ld,%ld,%ld,%ld\t%s\n", static_cast<void*>(window),
                Field(ProgramOf(window)).c_str(), Field(ClassOf(window)).c_str(), Field(TextOf(window)).c_str(),
                outer.left, outer.top, outer.right, outer.bottom, client.left, client.top, client.right,
                client.bottom, Flags(window).c_str());
}

int ListWindows(const std::wstring& program) {
    for (HWND window : TopLevelWindows()) {
        if (!program.empty() && ::_wcsicmp(ProgramOf(window).c_str(), program.c_str()) != 0) continue;
        PrintWindow(window);
    }
    return 0;
}

int Wait(const std::wstring& caption, DWORD timeoutMs, bool present) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND window = FindTopLevel(caption);
        if ((window != nullptr) == present) {
            if (window != nullptr) PrintWindow(window);
            return 0;
        }
        if (::GetTickCount() - start >= timeoutMs) {
            std::fprintf(stderr, "timed out waiting for \"%s\" to %s\n", Utf8(caption).c_str(),
                         present ? "appear" : "go");
            return 1;
        }
        ::Sleep(kPollMs);
    }
}

std::vector<std::pair<HWND, int>> Controls(HWND parent) {
    std::vector<std::pair<HWND, int>> found;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        found.emplace_back(child, 1);
        for (const auto& [inner, depth] : Controls(child)) found.emplace_back(inner, depth + 1);
    }
    return found;
}

std::string ControlFlags(HWND control, HWND focus) {
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const std::wstring kind = ClassOf(control);
    std::string flags = ::IsWindowVisible(control) ? "visible" : "hidden";
    if (!::IsWindowEnabled(control)) flags += ",disabled";
    if (control == focus) flags += ",focus";
    if (::_wcsicmp(kind.c_str(), L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_DEFPUSHBUTTON) flags += ",default";
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
            DWORD_PTR state = 0;
            ::SendMessageTimeoutW(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
            flags += state == BST_CHECKED ? ",checked" : ",unchecked";
        }
    }
    if (::_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        DWORD_PTR icon = 0;
        ::SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
        if (icon != 0) flags += ",icon";
    }
    return flags;
}

int ListControls(const std::wstring& caption) {
    HWND window = FindTopLevel(caption);
    if (window == nullptr) {
        std::fprintf(stderr, "no window \"%s\"\n", Utf8(caption).c_str());
        return 1;
    }
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui);
    for (const auto& [control, depth] : Controls(window)) {
        RECT box{};
        ::GetWindowRect(control, &box);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
        std::printf("%d\t%s\t%d\t%s\t%ld,%ld,%ld,%ld\t%s\n", depth, Field(ClassOf(control)).c_str(),
                    ::GetDlgCtrlID(control), Field(TextOf(control)).c_str(), box.left, box.top,
                    box.right - box.left, box.bottom - box.top, ControlFlags(control, gui.hwndFocus).c_str());
    }
    return 0;
}

int Click(const std::wstring& caption, const std::wstring& text) {
    HWND window = FindTopLevel(caption);
    if (window == nullptr) {
        std::fprintf(stderr, "no window \"%s\"\n", Utf8(caption).c_str());
        return 1;
    }
    for (const auto& [control, depth] : Controls(window)) {
        if (TextOf(control) != text) continue;
        // Posted, not sent: the click may open a modal window in the target.
        ::PostMessageW(control, BM_CLICK, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "no control \"%s\" in \"%s\"\n", Utf8(text).c_str(), Utf8(caption).c_str());
    return 1;
}

int ClickWhen(const std::wstring& path, const std::wstring& caption, const std::wstring& text, DWORD ms) {
    const DWORD start = ::GetTickCount();
    WIN32_FILE_ATTRIBUTE_DATA data{};
    while (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
           (data.nFileSizeLow | data.nFileSizeHigh) == 0) {
        if (::GetTickCount() - start > ms) {
            std::fprintf(stderr, "no bytes in \"%s\"\n", Utf8(path).c_str());
            return 1;
        }
        ::Sleep(1);
    }
    return Click(caption, text);
}

int Watch(const std::wstring& program, const std::wstring& path, DWORD ms) {
    const DWORD start = ::GetTickCount();
    std::vector<HWND> seen;
    std::printf("watching\n");
    std::fflush(stdout);
    while (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (::GetTickCount() - start > ms) {
            std::fprintf(stderr, "\"%s\" did not appear\n", Utf8(path).c_str());
            return 1;
        }
        for (HWND window : TopLevelWindows()) {
            if (::_wcsicmp(ProgramOf(window).c_str(), program.c_str()) != 0) continue;
            if (std::find(seen.begin(), seen.end(), window) != seen.end()) continue;
            seen.push_back(window);
            PrintWindow(window);
        }
        ::Sleep(1);
    }
    std::printf("watched\n");
    return 0;
}

int Close(const std::wstring& caption) {
    HWND window = FindTopLevel(caption);
    if (window == nullptr) {
        std::fprintf(stderr, "no window \"%s\"\n", Utf8(caption).c_str());
        return 1;
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
}

int Hold(const std::wstring& path, const std::wstring& caption, DWORD timeoutMs) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open \"%s\" (error %lu)\n", Utf8(path).c_str(), ::GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    const int status = Wait(caption, timeoutMs, true);
    ::CloseHandle(file);
    return status;
}

// Every top-level window, the hidden ones and those without area too.
BOOL CALLBACK CollectAll(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

int Foreground(const std::wstring& program, const std::wstring& kind) {
    std::vector<HWND> windows;
    ::EnumWindows(CollectAll, reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        if (::_wcsicmp(ProgramOf(window).c_str(), program.c_str()) != 0 || ClassOf(window) != kind) continue;
        if (::SetForegroundWindow(window)) return 0;
        std::fprintf(stderr, "the window did not come to the foreground\n");
        return 1;
    }
    std::fprintf(stderr, "no window of class \"%s\" of %s\n", Utf8(kind).c_str(), Utf8(program).c_str());
    return 1;
}

// Another process's error mode cannot be asked for from outside (under Wine the
// process query answers for the caller): GetErrorMode runs in that process as a
// thread of its own, whose exit code is the mode. kernel32 lies at the same address
// in every process. GetErrorMode takes no parameter: the one a thread start passes
// stays on that thread's stack, which goes with the thread.
int ErrorMode(const std::wstring& program) {
    for (HWND window : TopLevelWindows()) {
        if (::_wcsicmp(ProgramOf(window).c_str(), program.c_str()) != 0) continue;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        const HANDLE process = ::OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                                 PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                             FALSE, pid);
        const auto query = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetErrorMode")));
        const HANDLE thread =
            process != nullptr ? ::CreateRemoteThread(process, nullptr, 0, query, nullptr, 0, nullptr) : nullptr;
        DWORD mode = 0;
        const bool ok = thread != nullptr && ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 &&
                        ::GetExitCodeThread(thread, &mode);
        if (thread != nullptr) ::CloseHandle(thread);
        if (process != nullptr) ::CloseHandle(process);
        if (!ok) {
            std::fprintf(stderr, "cannot ask %s for its error mode (error %lu)\n", Utf8(program).c_str(),
                         ::GetLastError());
            return 1;
        }
        std::printf("%04lx\n", mode);
        return 0;
    }
    std::fprintf(stderr, "no window of %s\n", Utf8(program).c_str());
    return 1;
}

// A string the A interface gave back, in the process's ANSI code page.
std::wstring FromAnsi(const char* text) {
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 1) return {};
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), size);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

int ReadLink(const std::wstring& path) {
    int status = 1;
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                     reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        char target[MAX_PATH] = {}, arguments[1024] = {}, directory[MAX_PATH] = {};
        if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
            SUCCEEDED(link->GetArguments(arguments, 1024)) &&
            SUCCEEDED(link->GetWorkingDirectory(directory, MAX_PATH))) {
            std::printf("%s\t%s\t%s\n", Field(FromAnsi(target)).c_str(), Field(FromAnsi(arguments)).c_str(),
                        Field(FromAnsi(directory)).c_str());
            status = 0;
        }
    }
    if (status != 0) std::fprintf(stderr, "cannot read the link \"%s\"\n", Utf8(path).c_str());
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    return status;
}

DWORD Milliseconds(int argc, wchar_t** argv, int index) {
    return argc > index ? static_cast<DWORD>(std::wcstoul(argv[index], nullptr, 10)) : kDefaultWaitMs;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: driver windows [EXE] | wait CAPTION [MS] | gone CAPTION [MS] | controls CAPTION |"
                 " click CAPTION TEXT | clickwhen PATH CAPTION TEXT [MS] | watch EXE PATH [MS] | close CAPTION | hold PATH CAPTION [MS] | link PATH |"
                 " foreground EXE CLASS | errormode EXE\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The harness reads the output on Linux: no CR before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) return Usage();
    const std::wstring command = argv[1];
    int status = 2;
    if (command == L"windows")
        status = ListWindows(argc > 2 ? argv[2] : L"");
    else if (command == L"wait" && argc > 2)
        status = Wait(argv[2], Milliseconds(argc, argv, 3), true);
    else if (command == L"gone" && argc > 2)
        status = Wait(argv[2], Milliseconds(argc, argv, 3), false);
    else if (command == L"controls" && argc > 2)
        status = ListControls(argv[2]);
    else if (command == L"click" && argc > 3)
        status = Click(argv[2], argv[3]);
    else if (command == L"clickwhen" && argc > 4)
        status = ClickWhen(argv[2], argv[3], argv[4], Milliseconds(argc, argv, 5));
    else if (command == L"watch" && argc > 3)
        status = Watch(argv[2], argv[3], Milliseconds(argc, argv, 4));
    else if (command == L"close" && argc > 2)
        status = Close(argv[2]);
    else if (command == L"hold" && argc > 3)
        status = Hold(argv[2], argv[3], Milliseconds(argc, argv, 4));
    else if (command == L"foreground" && argc > 3)
        status = Foreground(argv[2], argv[3]);
    else if (command == L"errormode" && argc > 2)
        status = ErrorMode(argv[2]);
    else if (command == L"link" && argc > 2) {
        ::CoInitialize(nullptr);
        status = ReadLink(argv[2]);
        ::CoUninitialize();
    } else
        return Usage();
    std::fflush(stdout);
    return status;
}
