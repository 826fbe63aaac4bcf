#pragma once
// <windows.h> for the backend, without the A/W macros whose names the portable
// interfaces use as member names (Ui::MessageBox, System::SetCurrentDirectory,
// FileSystem::CreateDirectory...): with them, the same member would be spelt
// differently in files that do and do not include <windows.h>. The backend calls
// the W functions by their full names.

#include <windows.h>

#undef MessageBox
#undef SetCurrentDirectory
#undef GetCurrentDirectory
#undef CreateDirectory
#undef GetEnvironmentVariable
#undef GetWindowsDirectory
#undef GetSystemDirectory
