#pragma once
// The installation script as the publisher wrote it, line by line: where every
// section and key stands, so that messages can name the line, and the places where
// the installer reads the text differently from how it looks. Lookups follow the
// installer's profile reader: names without regard to letter case, blanks around
// names and values ignored, one pair of enclosing quotes removed, and only the first
// section of a name and the first key of a name in it count.

#include <string>
#include <string_view>
#include <vector>

namespace instalator::respack {

struct ScriptKey {
    std::string name;
    std::string value;  // as the installer reads it
    std::string raw;    // as written, blanks around it removed
    int line = 0;
};

struct ScriptSection {
    std::string name;
    int line = 0;
    std::vector<ScriptKey> keys;  // in the order of the text
};

// A line the reader passes over although it looks meant: text that is neither a
// section, a key nor a comment.
struct StrayLine {
    int line = 0;
    std::string text;
};

class ScriptView {
public:
    explicit ScriptView(std::string_view text);

    // Every section occurrence in the order of the text.
    const std::vector<ScriptSection>& Sections() const { return sections_; }
    const std::vector<StrayLine>& Stray() const { return stray_; }

    // The section the installer reads: the first of that name; nullptr when none.
    const ScriptSection* Find(std::string_view section) const;
    // The key the installer reads; nullptr when its section or the key is missing.
    const ScriptKey* Find(std::string_view section, std::string_view key) const;
    // The line of that key; else the line of its section; else 0.
    int Line(std::string_view section, std::string_view key) const;

    // The text without the sections for which drop(name) is true (every occurrence,
    // header and lines), the other lines as they were.
    template <typename Drop>
    std::string Without(Drop drop) const {
        std::string out;
        bool dropping = false;
        for (const TextLine& line : lines_) {
            if (line.section >= 0) dropping = drop(sections_[static_cast<std::size_t>(line.section)].name);
            if (!dropping) out += line.text;
        }
        return out;
    }

private:
    struct TextLine {
        std::string text;                    // with its line break
        int section = -1;  // on a section's header line: its place in sections_
    };

    std::vector<ScriptSection> sections_;
    std::vector<TextLine> lines_;
    std::vector<StrayLine> stray_;
};

}  // namespace instalator::respack
