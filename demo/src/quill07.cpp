// Quill07.exe: the demo product. When started it writes "Quill07.run" beside itself
// (so a test sees that it ran), then shows a small window until it is closed.

#include <windows.h>

namespace {

// The folder of this program, with a trailing backslash.
void OwnFolder(wchar_t (&path)[MAX_PATH]) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD cut = 0;
    for (DWORD i = 0; i < length && i < MAX_PATH; ++i)
        if (path[i] == L'\\') cut = i + 1;
    path[cut] = L'\0';
}

void WriteMarker() {
    wchar_t path[MAX_PATH];
    OwnFolder(path);
    if (::lstrlenW(path) + 12 >= MAX_PATH) return;
    ::lstrcatW(path, L"Quill07.run");
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, "started\r\n", 9, &written, nullptr);
    ::CloseHandle(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(window, &paint);
        RECT area;
        ::GetClientRect(window, &area);
        ::DrawTextW(dc, L"Quill07 1.0 \u2014 edytor HTML (wersja demonstracyjna)", -1, &area,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WriteMarker();
    WNDCLASSW type = {};
    type.lpfnWndProc = WindowProc;
    type.hInstance = instance;
    type.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = L"Quill07Window";
    if (!::RegisterClassW(&type)) return 1;
    const HWND window = ::CreateWindowW(L"Quill07Window", L"Quill07", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                        CW_USEDEFAULT, 480, 160, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ::ShowWindow(window, show);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
