#pragma once
// The copy window's file name and two bars, moved while a file is unpacked. Small
// files go by faster than anyone can read, and every change of the window costs the
// system a repaint, so the window is brought up to date at most once per frame
// (kFrameMilliseconds): it then shows the latest name and sizes.

#include <cstdint>
#include <string>

#include "core/installer.hpp"

namespace instalator::install {

inline constexpr std::uint32_t kFrameMilliseconds = 40;

// The integer nearest to x; an exact half goes to the even neighbour.
std::int64_t Nearest(long double x);

// The file being unpacked is name: recorded in TMain's FileName and shown in the
// copy window when an update is due.
void ShowFileName(core::Installer& run, const std::string& name);

// Told the size of the file being unpacked after every 4096-byte block and once at
// its end: records it in TMain's FileDone and, when both the file's size and the
// declared space are known (not 0), the bars' positions: the current-file bar at the
// file's share and the whole bar at the share of all bytes so far in the declared
// space, both in whole percent. When an update is due it shows the file's name and
// those positions, then lets pending window messages run (the copy window's abort
// button is answered there).
void UpdateProgress(core::Installer& run, std::int32_t bytesWritten);

// Brings the copy window at once to what UpdateProgress and ShowFileName last told
// it, before a box covers it.
void ShowProgressNow(core::Installer& run);

}  // namespace instalator::install
