// Parts.dll: the demo product's component. Its DllRegisterServer writes
// "Parts.registered" beside the library and reports success, so a test sees that
// the installer registered it; DllUnregisterServer deletes that file again and
// writes "Parts.unregistered" into the Windows directory, so a test sees that the
// uninstaller unregistered it.

#include <windows.h>

namespace {

HINSTANCE self = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) self = instance;
    return TRUE;
}

namespace {

// Writes a short marker file at path; false when that fails.
bool WriteMarker(const wchar_t* path, const char* text, DWORD size) {
    const HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, text, size, &written, nullptr);
    ::CloseHandle(file);
    return ok && written == size;
}

// The path of "Parts.registered" beside this library; false when it does not fit.
bool RegisteredMarker(wchar_t (&path)[MAX_PATH]) {
    const DWORD length = ::GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    DWORD cut = 0;
    for (DWORD i = 0; i < length; ++i)
        if (path[i] == L'\\') cut = i + 1;
    if (cut + 17 >= MAX_PATH) return false;
    path[cut] = L'\0';
    ::lstrcatW(path, L"Parts.registered");
    return true;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH];
    if (!RegisteredMarker(path)) return E_FAIL;
    return WriteMarker(path, "registered\r\n", 12) ? S_OK : E_FAIL;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    wchar_t path[MAX_PATH];
    if (!RegisteredMarker(path)) return E_FAIL;
    ::DeleteFileW(path);
    const UINT length = ::GetWindowsDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 20 >= MAX_PATH) return E_FAIL;
    ::lstrcatW(path, L"\\Parts.unregistered");
    return WriteMarker(path, "unregistered\r\n", 14) ? S_OK : E_FAIL;
}
