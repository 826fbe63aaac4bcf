// Replacements for parts of the C++ runtime that a windowed program on a diskette
// cannot afford. They must be linked as object files of the program itself (not from a
// library), so that the linker finds them before the runtime library's own versions;
// a version of the runtime that needs one more of its own parts than these replace
// fails to link with duplicate definitions rather than quietly growing the program.

#include <cstdlib>
#include <exception>
#include <new>

#include "common/errors.hpp"

// The runtime's handler for an exception that nothing catches prints the exception's
// demangled type on the standard error stream, then aborts. A windowed process has no
// such stream, and the name demangler with the formatted output it needs is about a
// sixth of Setup.exe, so this handler aborts straight away.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The standard containers and strings report a length beyond their limits or an
// index out of range through these functions. The runtime's versions throw
// std::length_error and its siblings, which keep their text in the runtime's
// reference-counted string: with that string's code, about 50 KB. These throw the
// system's own error with the same text (a range error's with its numbers left as
// the format's placeholders), which ends up in the default error box like any other;
// nothing catches the standard types by name. Memory errors stay as they are.
namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { throw instalator::common::Error(what); }
void __throw_logic_error(const char* what) { throw instalator::common::Error(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw instalator::common::Error(format); }
}  // namespace std
