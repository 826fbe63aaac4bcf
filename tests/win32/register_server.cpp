// register_server.dll: a self-registering library for shell_check.exe. Its
// DllRegisterServer appends one line to the file named by the environment variable
// REGISTER_MARKER and reports success.

#include <windows.h>

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"REGISTER_MARKER", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return E_FAIL;
    const HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return E_FAIL;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, "registered\r\n", 12, &written, nullptr);
    ::CloseHandle(file);
    return ok && written == 12 ? S_OK : E_FAIL;
}
