// Uninst.exe: the demo product's uninstaller stands in for a real one; it only says
// so. The installer links it and lists it in the system's uninstall entries.

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::MessageBoxW(nullptr, L"Wersja demonstracyjna: odinstalowanie nie jest dost\u0119pne.", L"Quill07",
                  MB_OK | MB_ICONINFORMATION);
    return 0;
}
