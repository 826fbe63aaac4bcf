#include "package/temp_dir.hpp"

#include <gtest/gtest.h>

#include <map>

namespace instalator::package {
namespace {

using Environment = std::map<std::string, std::string, std::less<>>;

std::string TempDirWith(const Environment& env, char separator) {
    return TempDirFromEnvironment(
        [&](std::string_view name) -> std::optional<std::string> {
            const auto found = env.find(name);
            if (found == env.end()) return std::nullopt;
            return found->second;
        },
        separator);
}

TEST(TempDir, FirstVariableSetWithTheSeparatorAppendedOnce) {
    const std::string longValue = "C:\\" + std::string(200, 'x');
    const struct {
        const char* what;
        Environment env;
        char separator;
        std::string expected;
    } cases[] = {
        {"temp", {{"temp", "C:\\WINDOWS\\TEMP"}, {"tmp", "D:\\T"}}, '\\', "C:\\WINDOWS\\TEMP\\"},
        {"temp ending in \\", {{"temp", "C:\\TEMP\\"}}, '\\', "C:\\TEMP\\"},
        {"a drive root", {{"temp", "A:\\"}}, '\\', "A:\\"},
        {"tmp when temp is missing", {{"tmp", "D:\\T"}}, '\\', "D:\\T\\"},
        {"tmp when temp is empty", {{"temp", ""}, {"tmp", "D:\\T"}}, '\\', "D:\\T\\"},
        {"the profile next", {{"USERPROFILE", "C:\\Users\\ala"}, {"windir", "C:\\WINDOWS"}}, '\\',
         "C:\\Users\\ala\\"},
        {"the Windows directory last", {{"windir", "C:\\WINDOWS"}}, '\\', "C:\\WINDOWS\\"},
        {"nothing set", {{"TMPDIR", "/var/tmp"}}, '\\', "C:\\TEMP\\"},
        {"longer than 127 characters", {{"temp", longValue}}, '\\', longValue + "\\"},
        {"TEMP first", {{"TEMP", "/a"}, {"TMP", "/b"}, {"TMPDIR", "/c"}}, '/', "/a/"},
        {"TMP next", {{"TMP", "/b/"}, {"TMPDIR", "/c"}}, '/', "/b/"},
        {"TMPDIR last", {{"TEMP", ""}, {"TMPDIR", "/c"}}, '/', "/c/"},
        {"nothing set on POSIX", {{"temp", "/lower/case"}}, '/', "/tmp/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TempDirWith(c.env, c.separator), c.expected);
    }
}

}  // namespace
}  // namespace instalator::package
