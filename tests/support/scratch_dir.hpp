#pragma once
// A fresh directory under the system's temporary directory for one test, removed
// with everything in it when the test ends.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace instalator::testing {

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A path inside the directory, as a host path string for the file-system layer.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, const std::string& text);

}  // namespace instalator::testing
