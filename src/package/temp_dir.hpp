#pragma once
// The directory where entries are unpacked and the scratch file lies, worked out
// once at start-up from the environment.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace instalator::package {

// The value of an environment variable in cp1250; nothing when it is not set or
// cannot be spelt in cp1250.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// The temporary directory, ending with separator. With Windows paths ('\\') the
// variables "temp", then "tmp", then "USERPROFILE" and "windir" are asked (the
// order Windows itself uses for its temporary directory), else C:\TEMP\; with
// POSIX paths ('/') TEMP, TMP and TMPDIR, else /tmp/. An empty value counts as
// unset; a value of any length is taken whole.
std::string TempDirFromEnvironment(const EnvironmentLookup& lookup, char separator);

}  // namespace instalator::package
