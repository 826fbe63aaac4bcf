#pragma once
// Profile (INI) files: cp1250 text of [section] lines and key=value lines, read and
// written one value per call with the rules of the Windows profile functions, so a
// file written here reads the same there and the other way round.
//
// Reading: section and key names are matched without regard to letter case and the
// first match wins; blanks (spaces and tabs) around names and values are ignored; a
// value enclosed in one pair of matching quotes (" or ') is read without them; lines
// starting with ";" and lines without "=" are ignored; a line may end with CR LF, LF
// or CR alone.
//
// Writing: a key that exists gets its value replaced on its own line; a new key goes
// after the last key of its section; a new section is appended at the end of the
// file. New lines end with CR LF, and every other byte of the file stays as it was.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "common/errors.hpp"

namespace instalator::platform {
class FileSystem;
}

namespace instalator::profile {

// A profile file that could not be written.
class ProfileError : public common::Error {
public:
    using common::Error::Error;
};

// The whole text of the file at path; nothing when it does not exist. Other failures
// throw common::IoError.
std::optional<std::string> ReadProfileText(platform::FileSystem& fs, const std::string& path);

// Writes text as the whole file at path: beside it first, then renamed over it, so
// that a crash or a full disk leaves either the old file or the new one, never a part
// of either. Throws common::IoError.
void ReplaceProfileText(platform::FileSystem& fs, const std::string& path, const std::string& text);

// The names of the sections of profile text, without blanks, in lower case.
std::set<std::string> ProfileSectionNames(std::string_view text);

// A value without the quotation marks (" or ') that enclose it, when both ends
// have the same one.
std::string_view UnquoteValue(std::string_view value);

// The value of key in section of profile text, as the profile reader gives it (blanks
// and enclosing quotes removed, not yet cut to a reader's buffer); nothing when the
// section or the key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section, std::string_view key);

// The profile text with key in section set to value: the value of an existing key
// replaced, otherwise the key (and when needed its section) added.
std::string WithProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

// The profile text with the line key=value added after the last key of section, even
// when the key is there already (the [Rename] section of WinInit.ini takes one
// "NUL=" line per file).
std::string WithProfileLine(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value);

// Profile text read once and looked up many times: each section's lines are found in
// one pass, so a lookup reads only its own section. Finds what FindProfileValue finds
// in the whole text (the first section of a name, the first key in it).
class ProfileIndex {
public:
    explicit ProfileIndex(std::string text);
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

private:
    std::string text_;
    std::map<std::string, std::pair<std::size_t, std::size_t>> sections_;  // lower-case name: [begin, end)
};

// A number as profile numbers are written: decimal with an optional sign, or
// hexadecimal after "$" or "0x"/"0X" (up to 32 bits, taken as a signed value).
// Nothing for any other text, including empty text and decimals beyond 32 bits.
std::optional<std::int32_t> ProfileNumber(std::string_view text);

// One profile file. By default it holds only its path: every call reads the file
// afresh and every write goes to the disk at once, so objects on one file see each
// other's writes. Every write replaces the whole file through a new copy renamed over
// it, so a write that fails leaves the file as it was.
class TIniFile {
public:
    // Longest value a read returns, as the platform's 1024-byte buffer allows.
    static constexpr std::size_t kMaxValue = 1023;

    enum class Access {
        // Every call reads the file afresh; every write reaches the disk at once.
        Shared,
        // Nothing but the object writes the file while it lives (say, several keys
        // read at a point where no message is let run): it reads the file once and
        // keeps the text; every write still reaches the disk at once.
        Exclusive,
        // As Exclusive, but writes change only the kept text until Commit writes it in
        // one piece: the file then holds all of them or, when that fails, none. What is
        // not committed when the object goes is lost.
        Batch,
    };

    // path is the full path of the file; empty stands for no file at all (reads give
    // the defaults, writes fail).
    TIniFile(platform::FileSystem& fs, std::string path, Access access = Access::Shared);

    const std::string& FileName() const { return path_; }

    // The value, or defaultValue when the file, the section or the key is missing;
    // at most kMaxValue characters either way.
    std::string ReadText(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The value as ProfileNumber reads it, or defaultValue when it does not convert.
    std::int32_t ReadNumber(std::string_view section, std::string_view key, std::int32_t defaultValue) const;

    // Throw ProfileError "Unable to write to <path>" when the file cannot be written
    // (with Batch: when it cannot be read first).
    void WriteText(std::string_view section, std::string_view key, std::string_view value);
    // Adds the line key=value to section as WithProfileLine does.
    void AddLine(std::string_view section, std::string_view key, std::string_view value);
    void WriteNumber(std::string_view section, std::string_view key, std::int32_t value);
    // Writes "1" for true and "0" for false.
    void WriteFlag(std::string_view section, std::string_view key, bool value);

    // Batch: writes the text as the writes left it, when they changed it; throws
    // ProfileError when that fails. Nothing to do for the other kinds of access.
    void Commit();

private:
    // The file's text, nothing when it is missing; IoError when it cannot be read.
    const std::optional<std::string>& Text() const;
    [[noreturn]] void FailWrite() const;
    // Writes change(the old text, empty for a missing file) when it differs.
    void Update(const std::function<std::string(const std::string&)>& change);

    platform::FileSystem& fs_;
    std::string path_;
    Access access_;
    // The text last read or written (Exclusive, Batch); an empty outer optional until
    // the file has been read.
    mutable std::optional<std::optional<std::string>> text_;
    bool changed_ = false;  // Batch: the kept text differs from the file's
};

// The value of key in section of profile text as a TIniFile reads it: defaultValue when
// the section or the key is missing, at most TIniFile::kMaxValue characters either way.
std::string ReadProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view defaultValue);

}  // namespace instalator::profile
