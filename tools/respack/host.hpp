#pragma once
// What respack needs from the machine it runs on, one implementation per host
// (posix/, win32/): terminal output, the environment and a private directory.

#include <optional>
#include <string>
#include <string_view>

namespace instalator::respack {

enum class Stream { Out, Err };

// Writes cp1250 text: UTF-8 bytes, or the console's own characters on a Windows
// console.
void Write(Stream stream, std::string_view text);
bool IsTerminal(Stream stream);

// An environment variable in cp1250; nothing when unset or not spellable in cp1250.
std::optional<std::string> Environment(std::string_view name);

// Creates a new directory that only this process uses inside parent (which ends
// with the separator) and returns its path with the separator appended. Failures
// throw common::Error.
std::string CreatePrivateDirectory(const std::string& parent);
// Removes an empty directory; failures are ignored.
void RemoveEmptyDirectory(const std::string& path);

}  // namespace instalator::respack
