#include "profile/ini_file.hpp"

#include <charconv>
#include <memory>

#include "common/strings.hpp"
#include "common/text.hpp"
#include "platform/file_system.hpp"

namespace instalator::profile {

using common::IntToText;
using common::IoError;
using common::kDiskWriteError;
using common::kFileNotFound;
using common::kPathNotFound;
using common::SameText;
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kNewLine = "\r\n";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }



// One line of a text: its content is [begin, end); next is where the line after its
// line break (CR LF, LF or CR) begins.
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

Line LineAt(std::string_view text, std::size_t begin) {
    // A plain loop: the library's find_first_of makes a call per character, and the
    // profile files are searched line by line for every key.
    std::size_t end = begin;
    while (end < text.size() && !IsLineBreak(text[end])) ++end;
    if (end == text.size()) return {begin, text.size(), text.size()};
    const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    return {begin, end, end + (crlf ? 2 : 1)};
}

enum class LineKind { Other, Section, Key };

struct LineInfo {
    LineKind kind = LineKind::Other;
    std::string_view name;       // the section or key name without blanks
    std::size_t valueBegin = 0;  // a key's value: from here to the end of the line
};

// What a line is. The name of a section runs to the last "]" of its line, so section
// names may hold "]" themselves (the reverse index of the uninstall log uses paths).
LineInfo Classify(std::string_view text, const Line& line) {
    const std::string_view content = text.substr(line.begin, line.end - line.begin);
    const std::size_t lead = content.find_first_not_of(kBlanks);
    if (lead == std::string_view::npos || content[lead] == ';') return {};
    if (content[lead] == '[') {
        const std::size_t close = content.rfind(']');
        if (close == std::string_view::npos) return {};
        return {LineKind::Section, common::TrimBlanks(content.substr(lead + 1, close - lead - 1)), 0};
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) return {};
    return {LineKind::Key, common::TrimBlanks(content.substr(0, equals)), line.begin + equals + 1};
}

// Whether the line's first character after blanks is "[", which every section line has.
bool MayStartSection(std::string_view text, const Line& line) {
    std::size_t at = line.begin;
    while (at < line.end && (text[at] == ' ' || text[at] == '\t')) ++at;
    return at < line.end && text[at] == '[';
}

struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    std::size_t valueBegin = 0;  // the key's value bytes, when it was found
    std::size_t valueEnd = 0;
    std::size_t insertAt = 0;  // where a new key line of the section goes
};

// Finds key in the first section called section. A new key line would go after the
// last key line of that section, or after its header when it has no keys, so blank
// lines and comments that precede the next section stay in front of it.
Location Locate(std::string_view text, std::string_view section, std::string_view key, bool findKey = true) {
    section = common::TrimBlanks(section);
    key = common::TrimBlanks(key);
    Location at;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        // Before the section only section lines matter.
        if (!at.sectionFound && !MayStartSection(text, line)) continue;
        const LineInfo info = Classify(text, line);
        if (info.kind == LineKind::Section) {
            if (at.sectionFound) break;
            at.sectionFound = SameText(info.name, section);
            at.insertAt = line.next;
        } else if (info.kind == LineKind::Key && at.sectionFound) {
            if (findKey && SameText(info.name, key)) {
                at.keyFound = true;
                at.valueBegin = info.valueBegin;
                at.valueEnd = line.end;
                break;
            }
            at.insertAt = line.next;
        }
    }
    return at;
}

template <typename Number>
std::optional<Number> WholeNumber(std::string_view digits, int base) {
    Number value{};
    const char* const end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, base);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<std::int32_t> HexNumber(std::string_view digits) {
    const auto value = WholeNumber<std::uint32_t>(digits, 16);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);  // the 32 bits as a signed value
}

// The text with a new line key=value after the last key of section (added at the end
// when missing), as Locate found them.
std::string WithKeyLine(std::string_view text, const Location& at, std::string_view section, std::string_view key,
                        std::string_view value) {
    std::string result(text);
    const std::size_t insertAt = at.sectionFound ? at.insertAt : text.size();
    std::string lines;
    if (insertAt > 0 && !IsLineBreak(text[insertAt - 1])) lines += kNewLine;  // a last line without its break
    if (!at.sectionFound) lines.append("[").append(common::TrimBlanks(section)).append("]").append(kNewLine);
    lines.append(common::TrimBlanks(key)).append("=").append(value).append(kNewLine);
    return result.insert(insertAt, lines);
}

}  // namespace

std::optional<std::string> ReadProfileText(platform::FileSystem& fs, const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::unique_ptr<platform::File> file;
    try {
        file = fs.Open(path, platform::OpenMode::Read);
    } catch (const IoError& error) {
        if (error.code() == kFileNotFound || error.code() == kPathNotFound) return std::nullopt;
        throw;
    }
    std::string text(static_cast<std::size_t>(file->Size()), '\0');
    text.resize(file->Read(text.data(), text.size()));
    return text;
}

void ReplaceProfileText(platform::FileSystem& fs, const std::string& path, const std::string& text) {
    const std::string fresh = path + "~";
    try {
        const auto file = fs.Open(fresh, platform::OpenMode::Create);
        if (file->Write(text.data(), text.size()) != text.size()) throw IoError(kDiskWriteError, fresh);
        file->Close();
        fs.RenameFile(fresh, path);
    } catch (const IoError&) {
        try {
            fs.RemoveFile(fresh);
        } catch (const IoError&) {
            // It was never made.
        }
        throw;
    }
}

std::set<std::string> ProfileSectionNames(std::string_view text) {
    std::set<std::string> names;
    for (std::size_t pos = 0; pos < text.size();) {
        const Line line = LineAt(text, pos);
        pos = line.next;
        if (!MayStartSection(text, line)) continue;
        const LineInfo info = Classify(text, line);
        if (info.kind == LineKind::Section) names.insert(common::LowerCase(info.name));
    }
    return names;
}

std::string_view UnquoteValue(std::string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section, std::string_view key) {
    const Location at = Locate(text, section, key);
    if (!at.keyFound) return std::nullopt;
    return std::string(UnquoteValue(common::TrimBlanks(text.substr(at.valueBegin, at.valueEnd - at.valueBegin))));
}

std::string WithProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value) {
    const Location at = Locate(text, section, key);
    std::string result(text);
    if (at.keyFound) return result.replace(at.valueBegin, at.valueEnd - at.valueBegin, value);
    return WithKeyLine(text, at, section, key, value);
}

std::string WithProfileLine(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value) {
    return WithKeyLine(text, Locate(text, section, key, false), section, key, value);
}

ProfileIndex::ProfileIndex(std::string text) : text_(std::move(text)) {
    std::size_t sectionBegin = 0;
    std::string name;
    bool inSection = false;
    for (std::size_t pos = 0; pos < text_.size();) {
        const Line line = LineAt(text_, pos);
        const LineInfo info = Classify(text_, line);
        if (info.kind == LineKind::Section) {
            if (inSection) sections_.emplace(name, std::pair{sectionBegin, pos});
            name = common::LowerCase(info.name);
            sectionBegin = pos;
            inSection = true;
        }
        pos = line.next;
    }
    if (inSection) sections_.emplace(name, std::pair{sectionBegin, text_.size()});
}

std::optional<std::string> ProfileIndex::Find(std::string_view section, std::string_view key) const {
    const auto found = sections_.find(common::LowerCase(common::TrimBlanks(section)));
    if (found == sections_.end()) return std::nullopt;
    const auto [begin, end] = found->second;
    return FindProfileValue(std::string_view(text_).substr(begin, end - begin), section, key);
}

std::optional<std::int32_t> ProfileNumber(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return HexNumber(text.substr(2));
    if (!text.empty() && text[0] == '$') return HexNumber(text.substr(1));
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-') return std::nullopt;
    }
    return WholeNumber<std::int32_t>(text, 10);
}

TIniFile::TIniFile(platform::FileSystem& fs, std::string path, Access access)
    : fs_(fs), path_(std::move(path)), access_(access) {}

const std::optional<std::string>& TIniFile::Text() const {
    if (!text_ || access_ == Access::Shared) text_ = ReadProfileText(fs_, path_);
    return *text_;
}

std::string TIniFile::ReadText(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    try {
        if (const auto& text = Text()) return ReadProfileValue(*text, section, key, defaultValue);
    } catch (const IoError&) {
        // A file that cannot be read reads like a missing one.
    }
    return ReadProfileValue("", section, key, defaultValue);
}

std::int32_t TIniFile::ReadNumber(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    return ProfileNumber(ReadText(section, key, "")).value_or(defaultValue);
}

std::string ReadProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view defaultValue) {
    std::string result = FindProfileValue(text, section, key).value_or(std::string(defaultValue));
    if (result.size() > TIniFile::kMaxValue) result.resize(TIniFile::kMaxValue);
    return result;
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value) {
    Update([&](const std::string& old) { return WithProfileValue(old, section, key, value); });
}

void TIniFile::AddLine(std::string_view section, std::string_view key, std::string_view value) {
    Update([&](const std::string& old) { return WithProfileLine(old, section, key, value); });
}

void TIniFile::Update(const std::function<std::string(const std::string&)>& change) {
    if (path_.empty()) FailWrite();
    try {
        // A file that exists but cannot be read is never replaced by one made from nothing.
        const std::optional<std::string>& old = Text();
        std::string updated = change(old.value_or(std::string()));
        if (old && updated == *old) return;
        if (access_ == Access::Batch) {
            changed_ = true;
        } else {
            ReplaceProfileText(fs_, path_, updated);
        }
        text_.emplace(std::move(updated));
    } catch (const IoError&) {
        FailWrite();
    }
}

void TIniFile::Commit() {
    if (access_ != Access::Batch || !changed_) return;
    try {
        ReplaceProfileText(fs_, path_, **text_);
    } catch (const IoError&) {
        // The file stays as it was; later reads read it again.
        text_.reset();
        changed_ = false;
        FailWrite();
    }
    changed_ = false;
}

void TIniFile::WriteNumber(std::string_view section, std::string_view key, std::int32_t value) {
    WriteText(section, key, IntToText(value));
}

void TIniFile::WriteFlag(std::string_view section, std::string_view key, bool value) {
    WriteText(section, key, value ? "1" : "0");
}

void TIniFile::FailWrite() const { throw ProfileError("Unable to write to " + path_); }

}  // namespace instalator::profile
