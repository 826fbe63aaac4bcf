#include "common/text.hpp"

#include <array>

#include "common/errors.hpp"
#include "common/strings.hpp"

namespace instalator::common {
namespace {

// Unicode of the bytes 0x80 to 0xFF; below 0x80 cp1250 is ASCII.
constexpr char16_t kHighHalf[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

int Cp1250Of(char32_t code) {
    if (code < 0x80) return static_cast<int>(code);
    for (int i = 0; i < 128; ++i) {
        if (kHighHalf[i] == code) return 0x80 + i;
    }
    return -1;
}

// The smallest code point that a sequence of 1 + extra bytes may carry: a longer form
// of a character than needed (such as 0xC0 0xAF for "/") is malformed.
constexpr long kSmallestOfLength[4] = {0, 0x80, 0x800, 0x10000};

// Decodes one UTF-8 sequence at text[i], advancing i; -1 when malformed (cut short,
// a longer form than needed, a surrogate, or beyond U+10FFFF).
long DecodeUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4) return -1;
    long code = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size()) return -1;
        const auto next = static_cast<unsigned char>(text[i++]);
        if ((next & 0xC0) != 0x80) return -1;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < kSmallestOfLength[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return -1;
    return code;
}

// "U+" and at least four upper-case hexadecimal digits, as Unicode names characters.
std::string CodePointName(long code) {
    return "U+" + HexText(static_cast<std::uint32_t>(code), 4);
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

char16_t UnicodeOf(unsigned char byte) {
    return byte < 0x80 ? char16_t{byte} : kHighHalf[byte - 0x80];
}

std::string Cp1250FromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const long code = DecodeUtf8(utf8, i);
        if (code < 0) throw TextError("malformed UTF-8 text");
        const int byte = Cp1250Of(static_cast<char32_t>(code));
        if (byte < 0) throw TextError("character " + CodePointName(code) + " has no place in code page 1250");
        out += static_cast<char>(byte);
    }
    return out;
}

std::string Cp1250(std::u8string_view utf8) {
    return Cp1250FromUtf8(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

std::string Utf8FromCp1250(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (char c : text) AppendUtf8(out, UnicodeOf(static_cast<unsigned char>(c)));
    return out;
}

std::u16string Utf16FromCp1250(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += UnicodeOf(static_cast<unsigned char>(c));
    return out;
}

std::string Cp1250FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) {
        const int byte = Cp1250Of(unit);
        out += static_cast<char>(byte < 0 ? '?' : byte);
    }
    return out;
}

char LowerChar(char c) {
    const auto b = static_cast<unsigned char>(c);
    unsigned char lower = b;
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
        lower = static_cast<unsigned char>(b + 0x20);  // Latin capitals, and À..Ţ without ×
    } else if (b >= 0x8A && b <= 0x8F && b != 0x8B) {
        lower = static_cast<unsigned char>(b + 0x10);  // Š Ś Ť Ž Ź
    } else {
        switch (b) {
        case 0xA3: lower = 0xB3; break;  // Ł
        case 0xA5: lower = 0xB9; break;  // Ą
        case 0xAA: lower = 0xBA; break;  // Ş
        case 0xAF: lower = 0xBF; break;  // Ż
        case 0xBC: lower = 0xBE; break;  // Ľ
        default: break;
        }
    }
    return static_cast<char>(lower);
}

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerChar(c);
    return out;
}

char UpperChar(char c) {
    static const std::array<char, 256> upper = [] {
        std::array<char, 256> table{};
        for (int b = 0; b < 256; ++b) table[b] = static_cast<char>(b);
        for (int b = 0; b < 256; ++b) {
            const auto lower = static_cast<unsigned char>(LowerChar(static_cast<char>(b)));
            if (lower != b) table[lower] = static_cast<char>(b);
        }
        return table;
    }();
    return upper[static_cast<unsigned char>(c)];
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperChar(c);
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && LowerChar(a[i]) != LowerChar(b[i])) return false;
    }
    return true;
}

}  // namespace instalator::common
