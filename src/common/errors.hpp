#pragma once
// Error types shared by every layer. Each layer throws its own type with an exact
// reason; only the front ends (respack's main, the installer's default error box)
// catch them all.

#include <exception>
#include <string>
#include <utility>

namespace instalator::common {

// Base of every error the system raises on purpose. what() is the text a user sees,
// in code page 1250. It holds its text itself rather than deriving from
// std::runtime_error: the standard exception classes keep theirs in the runtime's
// reference-counted string, whose code would be an eighth of Setup.exe.
class Error : public std::exception {
public:
    explicit Error(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Text that cannot be converted: malformed UTF-8, or a character that code page 1250
// cannot hold.
class TextError : public Error {
public:
    using Error::Error;
};

// A failed file operation. code() follows the runtime's numbering (2 file not found,
// 3 path not found, 5 access denied, 100 disk read error, 101 disk write error, other
// platform codes as they come); what() is the runtime's text for that code and
// path() names the file involved, when one is known.
class IoError : public Error {
public:
    IoError(int code, std::string path);
    int code() const noexcept { return code_; }
    const std::string& path() const noexcept { return path_; }

    static std::string TextFor(int code);

private:
    int code_;
    std::string path_;
};

inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kAccessDenied = 5;
inline constexpr int kFileExists = 80;
inline constexpr int kDiskReadError = 100;
inline constexpr int kDiskWriteError = 101;

}  // namespace instalator::common
