#include "report.hpp"

#include <cstdio>
#include <initializer_list>

#include "host.hpp"

namespace instalator::respack {

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        out += escaped;
    }
    return out;
}

std::string Quoted(std::string_view name) {
    std::string quoted = "\"";
    quoted += Printable(name);
    quoted += '"';
    return quoted;
}

void PrintLine(std::string_view line) {
    std::string text = Printable(line);
    text += '\n';
    Write(Stream::Out, text);
}

void PrintText(std::string_view text) { Write(Stream::Out, text); }

namespace {

// "respack: " and the parts, made printable, then the line end.
void WriteMessage(std::initializer_list<std::string_view> parts) {
    std::string line = "respack: ";
    for (const std::string_view part : parts) line += Printable(part);
    line += '\n';
    Write(Stream::Err, line);
}

}  // namespace

void Complain(std::string_view subject, std::string_view message) { WriteMessage({subject, ": ", message}); }

void Warn(std::string_view subject, std::string_view message) { WriteMessage({subject, ": warning: ", message}); }

void ComplainAboutUsage(std::string_view message) { WriteMessage({message}); }

}  // namespace instalator::respack
