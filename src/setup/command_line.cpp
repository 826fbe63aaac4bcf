#include "setup/command_line.hpp"

#include <algorithm>

#include "common/strings.hpp"
#include "common/text.hpp"

namespace instalator::setup {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The length of the switch name at text[pos], just after its "/": letters (or "?").
std::size_t NameLength(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    while (end < text.size() && (IsLetter(text[end]) || text[end] == '?')) ++end;
    return end - pos;
}

// Whether a switch starts at text[pos]: "/" (after a quotation mark or not) and a
// name followed by "=", a blank, a quotation mark or the end. A value ends before
// one, so that a switch after a value, known or not, is read as a switch.
bool SwitchAt(std::string_view text, std::size_t pos) {
    if (pos < text.size() && text[pos] == '"') ++pos;
    if (pos >= text.size() || text[pos] != '/') return false;
    const std::size_t end = pos + 1 + NameLength(text, pos + 1);
    return end > pos + 1 && (end == text.size() || text[end] == '=' || text[end] == '"' || IsBlank(text[end]));
}

bool IsAbsoluteDirectory(std::string_view path) {
    return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

// A group is one folder name below the Programs folder.
bool IsFolderName(std::string_view name) {
    return name.find_first_of("\\/:*?\"<>|") == std::string_view::npos && name != "." && name != "..";
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    CommandLine Run() {
        for (std::size_t pos = 0;;) {
            while (pos < text_.size() && IsBlank(text_[pos])) ++pos;
            if (pos == text_.size()) return std::move(line_);
            pos = Word(pos);
        }
    }

private:
    // Reads the switch at pos (in quotation marks or not); returns where it ends.
    std::size_t Word(std::size_t pos) {
        const bool quoted = text_[pos] == '"';
        const std::size_t close = quoted ? text_.find('"', pos + 1) : std::string_view::npos;
        const std::size_t start = pos + (quoted ? 1 : 0);
        if (!SwitchAt(text_, pos) || (quoted && close == std::string_view::npos)) {
            std::size_t end = pos;
            while (end < text_.size() && !IsBlank(text_[end])) ++end;
            Fail(u8"Nieznany argument: ", text_.substr(pos, end - pos));
            return end;
        }
        const std::string_view name = text_.substr(start + 1, NameLength(text_, start + 1));
        std::size_t end = start + 1 + name.size();
        std::optional<std::string_view> value;
        if (quoted) {  // "/NAME=value": the value is what the quotation marks enclose
            if (end < close && text_[end] != '=') {
                Fail(u8"Nieznany argument: ", text_.substr(pos, close + 1 - pos));
                return close + 1;
            }
            if (end < close) value = text_.substr(end + 1, close - end - 1);
            end = close + 1;
        } else if (end + 1 < text_.size() && text_[end] == '=' && text_[end + 1] == '"') {
            // /NAME="value": to the closing quotation mark, switches inside and all
            const std::size_t valueClose = text_.find('"', end + 2);
            const std::size_t valueEnd = valueClose == std::string_view::npos ? text_.size() : valueClose;
            value = text_.substr(end + 2, valueEnd - end - 2);
            end = std::min(valueEnd + 1, text_.size());
        } else if (end < text_.size() && text_[end] == '=') {
            const std::size_t from = end + 1;
            end = text_.size();
            for (std::size_t i = from; i < text_.size(); ++i) {
                if (IsBlank(text_[i]) && SwitchAt(text_, i + 1)) {
                    end = i;
                    break;
                }
            }
            value = Unquoted(text_.substr(from, end - from));
        }
        Apply(name, value);
        return end;
    }

    static std::string_view Unquoted(std::string_view value) {
        value = common::TrimBlanks(value);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        return value;
    }

    void Apply(std::string_view name, std::optional<std::string_view> value) {
        const std::string upper = common::UpperCase(name);
        core::Switches& s = line_.switches;
        if (upper == "D") return Value(name, s.targetDir, value, IsAbsoluteDirectory(value.value_or("")),
                                       u8" wymaga pełnej ścieżki katalogu, np. /D=C:\\Programy\\Quill07");
        if (upper == "G") return Value(name, s.group, value, IsFolderName(value.value_or("")),
                                       u8" wymaga nazwy jednej grupy, bez znaków \\ / : * ? \" < > |");
        if (upper == "LOG") return Value(name, s.logPath, value, true, u8"");
        bool* flag = upper == "S"           ? &s.silent
                     : upper == "FORCE"     ? &s.force
                     : upper == "NORESTART" ? &s.noRestart
                     : upper == "?"         ? &s.help
                                            : nullptr;
        if (flag == nullptr) return Fail(u8"Nieznany przełącznik: /", name);
        if (value) return Fail(u8"Przełącznik /", name, u8" nie przyjmuje wartości");
        if (*flag) return Fail(u8"Przełącznik /", name, u8" podano dwa razy");
        *flag = true;
    }

    void Value(std::string_view name, std::optional<std::string>& slot, std::optional<std::string_view> value,
               bool valid, std::u8string_view requirement) {
        if (slot) return Fail(u8"Przełącznik /", name, u8" podano dwa razy");
        if (!value || value->empty()) return Fail(u8"Przełącznik /", name, u8" wymaga wartości po \"=\"");
        if (!valid) return Fail(u8"Przełącznik /", name, requirement);
        slot = std::string(*value);
    }

    // Keeps the first fault: the label and the end are UTF-8, the detail cp1250.
    void Fail(std::u8string_view label, std::string_view detail, std::u8string_view end = {}) {
        if (line_.error.empty()) line_.error = common::Cp1250(label) + std::string(detail) + common::Cp1250(end);
    }

    std::string_view text_;
    CommandLine line_;
};

}  // namespace

CommandLine ParseCommandLine(std::string_view arguments) { return Parser(arguments).Run(); }

std::string UsageText() {
    return common::Cp1250(
        u8"Setup.exe [/S] [/D=katalog] [/G=grupa] [/LOG=plik] [/NORESTART] [/FORCE]\n\n"
        u8"/S\tinstalacja bez okien i pytań\n"
        u8"/D=katalog\tkatalog docelowy (pełna ścieżka, może zawierać spacje)\n"
        u8"/G=grupa\tgrupa programu w menu Start\n"
        u8"/LOG=plik\tdziennik instalacji (UTF-8)\n"
        u8"/NORESTART\tbez ponownego uruchomienia systemu\n"
        u8"/FORCE\tinstaluj mimo braku wolnego miejsca (z /S)\n\n"
        u8"Kody wyjścia (z /S lub /LOG): 0 sukces, 3010 wymagany restart, 1 przerwano lub błędny "
        u8"wiersz poleceń, 2 brak pakietu lub pakiet uszkodzony, 3 za mało miejsca, 4 błąd zapisu, "
        u8"5 nie można utworzyć katalogu, 6 nieoczekiwany błąd.");
}

}  // namespace instalator::setup
