// Parts.dll: the demo product's component. Its DllRegisterServer writes
// "Parts.registered" beside the library and reports success, so a test sees that
// the installer registered it.

#include <windows.h>

namespace {

HINSTANCE self = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return E_FAIL;
    DWORD cut = 0;
    for (DWORD i = 0; i < length; ++i)
        if (path[i] == L'\\') cut = i + 1;
    if (cut + 17 >= MAX_PATH) return E_FAIL;
    path[cut] = L'\0';
    ::lstrcatW(path, L"Parts.registered");
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return E_FAIL;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, "registered\r\n", 12, &written, nullptr);
    ::CloseHandle(file);
    return ok && written == 12 ? S_OK : E_FAIL;
}
