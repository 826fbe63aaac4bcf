// register_server.dll: a self-registering library for shell_check.exe. Its
// DllRegisterServer appends one line to the file named by the environment variable
// REGISTER_MARKER and reports success. REGISTER_FAULT makes it misbehave first:
// "write" writes through a null pointer, "divide" divides by zero, "raise" raises an
// exception of its own (E0001234, one parameter), "overflow" recurses until the
// stack is gone; "handled" faults inside system calls that handle the fault
// themselves and then registers as usual.

#include <windows.h>

namespace {

int* volatile nowhere = nullptr;
volatile int zero = 0;
volatile int hundred = 100;
volatile bool bottomless = true;

bool FaultIs(const wchar_t* name) {
    wchar_t fault[16];
    const DWORD length = ::GetEnvironmentVariableW(L"REGISTER_FAULT", fault, 16);
    return length > 0 && length < 16 && ::lstrcmpW(fault, name) == 0;
}

// Each level keeps a page of its own on the stack.
int Recurse(int depth) {
    volatile char page[4096];
    page[0] = static_cast<char>(depth);
    return bottomless ? Recurse(depth + 1) + page[0] : depth;
}

void Misbehave() {
    if (FaultIs(L"write")) *nowhere = 1;
    if (FaultIs(L"divide")) zero = hundred / zero;
    if (FaultIs(L"raise")) {
        const ULONG_PTR parameter = 7;
        ::RaiseException(0xE0001234, EXCEPTION_NONCONTINUABLE, 1, &parameter);
    }
    if (FaultIs(L"overflow")) zero = Recurse(0);
    if (FaultIs(L"handled")) {
        // Both probe the memory and catch the access violation themselves (a null
        // pointer they would refuse without a probe; the first page is never mapped).
        int* const unmapped = nowhere + 4;
        if (!::IsBadWritePtr(unmapped, sizeof(int)) || !::IsBadReadPtr(unmapped, sizeof(int))) ::ExitProcess(3);
        ::OutputDebugStringW(L"register_server: registering");
    }
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    Misbehave();
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
