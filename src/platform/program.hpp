#pragma once
// What a Windows program built on this library runs. The process entry of the Win32
// backend (platform/win32/win_main.cpp) sets up the machine and calls these; each
// program defines them once, in a unit linked into that program only.

#include <string_view>

namespace instalator::platform {

struct Platform;

// The caption of the box that shows an error escaping everything else.
extern const std::string_view kProgramTitle;

// Runs the program on the machine; its result is the process's exit code.
int ProgramMain(Platform& machine);

}  // namespace instalator::platform
