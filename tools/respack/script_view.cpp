#include "script_view.hpp"

#include "common/strings.hpp"
#include "common/text.hpp"
#include "profile/ini_file.hpp"

namespace instalator::respack {

ScriptView::ScriptView(std::string_view text) {
    int number = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        // Lines end with CR LF, LF or CR alone, as the profile reader splits them.
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view content = text.substr(pos, end - pos);
        const std::size_t begin = pos;
        pos = end;
        if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        ++number;
        lines_.push_back({std::string(text.substr(begin, pos - begin)), -1});

        const std::string_view line = common::TrimBlanks(content);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close == std::string_view::npos) {
                stray_.push_back({number, std::string(line)});
                continue;
            }
            sections_.push_back({std::string(common::TrimBlanks(line.substr(1, close - 1))), number, {}});
            lines_.back().section = static_cast<int>(sections_.size() - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || sections_.empty()) {
            stray_.push_back({number, std::string(line)});
            continue;
        }
        const std::string_view raw = common::TrimBlanks(line.substr(equals + 1));
        sections_.back().keys.push_back(
            {std::string(common::TrimBlanks(line.substr(0, equals))), std::string(profile::UnquoteValue(raw)), std::string(raw), number});
    }

}

const ScriptSection* ScriptView::Find(std::string_view section) const {
    section = common::TrimBlanks(section);
    for (const ScriptSection& s : sections_) {
        if (common::SameText(s.name, section)) return &s;
    }
    return nullptr;
}

const ScriptKey* ScriptView::Find(std::string_view section, std::string_view key) const {
    const ScriptSection* s = Find(section);
    if (s == nullptr) return nullptr;
    key = common::TrimBlanks(key);
    for (const ScriptKey& k : s->keys) {
        if (common::SameText(k.name, key)) return &k;
    }
    return nullptr;
}

int ScriptView::Line(std::string_view section, std::string_view key) const {
    if (const ScriptKey* k = Find(section, key)) return k->line;
    const ScriptSection* s = Find(section);
    return s == nullptr ? 0 : s->line;
}

}  // namespace instalator::respack
