// respack on a POSIX host: UTF-8 terminal and file names.

#include "host.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/errors.hpp"
#include "common/text.hpp"

namespace instalator::respack {
namespace {

std::FILE* Handle(Stream stream) { return stream == Stream::Out ? stdout : stderr; }

}  // namespace

void Write(Stream stream, std::string_view text) {
    const std::string utf8 = common::Utf8FromCp1250(text);
    std::fwrite(utf8.data(), 1, utf8.size(), Handle(stream));
    std::fflush(Handle(stream));
}

bool IsTerminal(Stream stream) { return ::isatty(::fileno(Handle(stream))) == 1; }

std::optional<std::string> Environment(std::string_view name) {
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    try {
        return common::Cp1250FromUtf8(value);
    } catch (const common::Error&) {
        return std::nullopt;
    }
}

std::string CreatePrivateDirectory(const std::string& parent) {
    std::string pattern = common::Utf8FromCp1250(parent) + "respack-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw common::Error("cannot create a temporary directory in " + parent + ": " + std::strerror(errno));
    }
    return common::Cp1250FromUtf8(pattern) + "/";
}

void RemoveEmptyDirectory(const std::string& path) { ::rmdir(common::Utf8FromCp1250(path).c_str()); }

}  // namespace instalator::respack
