#pragma once
// Entry names come from untrusted packages and are never taken as paths: only a
// plain file name that every host can create inside the target directory is
// written.

#include <string>
#include <string_view>

namespace instalator::respack {

// Why name must not be written as a file in the target directory; empty when it
// may. Refused: an empty name, "." and "..", path separators, drive or stream
// colons, control characters, and the device names that Windows reserves in every
// directory (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension).
std::string UnsafeNameReason(std::string_view name);

}  // namespace instalator::respack
