// Reads fuzzer-made bytes as the installer's command line: parsing must end, never
// crash, and a line it accepts may only name a full target path and a group that
// stays one folder below the Programs folder.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "setup/command_line.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace instalator;
    const setup::CommandLine line =
        setup::ParseCommandLine(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!line.error.empty()) return 0;
    const core::Switches& s = line.switches;
    if (s.targetDir && (s.targetDir->size() < 3 || (*s.targetDir)[1] != ':' || (*s.targetDir)[2] != '\\')) std::abort();
    if (s.group && (s.group->empty() || s.group->find_first_of("\\/:") != std::string::npos || *s.group == "..")) {
        std::abort();
    }
    if (s.logPath && s.logPath->empty()) std::abort();
    return 0;
}
