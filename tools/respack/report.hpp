#pragma once
// respack's output: results on stdout, one line per message on stderr, every
// line prefixed "respack: " and stripped of control characters.

#include <string>
#include <string_view>

namespace instalator::respack {

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;  // a damaged package, a missing entry, a failed file operation
inline constexpr int kUsage = 2;

// text with control characters shown as \xNN, so that no name can move the cursor.
std::string Printable(std::string_view text);
// A name in double quotes, made printable.
std::string Quoted(std::string_view name);

// A line of results on stdout.
void PrintLine(std::string_view line);
// Text on stdout as it is (help texts).
void PrintText(std::string_view text);
// "respack: subject: message" on stderr.
void Complain(std::string_view subject, std::string_view message);
// "respack: subject: warning: message" on stderr.
void Warn(std::string_view subject, std::string_view message);
// "respack: message" on stderr.
void ComplainAboutUsage(std::string_view message);

}  // namespace instalator::respack
