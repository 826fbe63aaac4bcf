#pragma once
// The copy window's two bars, moved while a file is unpacked.

#include <cstdint>

#include "core/installer.hpp"

namespace instalator::install {

// The integer nearest to x; an exact half goes to the even neighbour.
std::int64_t Nearest(long double x);

// Told the size of the file being unpacked after every 4096-byte block and once at
// its end: records it in TMain's FileDone and, when both the file's size and the
// declared space are known (not 0), sets the current-file bar to the file's share
// and the whole bar to the share of all bytes so far in the declared space, both in
// whole percent, then lets pending window messages run (the copy window's abort
// button is answered there).
void UpdateProgress(core::Installer& run, std::int32_t bytesWritten);

}  // namespace instalator::install
