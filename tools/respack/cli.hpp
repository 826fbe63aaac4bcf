#pragma once
// respack's front end: parses the command line, runs one command and turns every
// error into a message on stderr and an exit status.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.hpp"

namespace instalator::respack {

// One command's arguments after parsing.
struct Arguments {
    std::vector<std::string> operands;  // the package (or script, or distribution) first
    std::string directory;              // extract's and unpack's -d DIR; empty when not given
    bool catalogue = true;              // add writes a catalogue; false with --no-catalogue
    std::string output;                 // build's -o DIR; empty when not given
    std::string setup;                  // build's --setup PATH: the installer to put beside
    bool fillSpace = false;             // build's --fill-space
    std::int64_t volumeSize = 0;        // build's --volume-size in bytes; 0 when not given
    unsigned jobs = 0;                  // -j N: threads to pack on; 0 for every core
    bool quiet = false;                 // -q: no progress line, no report of what was written
};

// The usable bytes of a 1.44 MB diskette: what --volume-size diskette stands for.
inline constexpr std::int64_t kDisketteBytes = 1457664;

// A --volume-size value: bytes, with K (1024) or M (1048576) after the number, or
// "diskette". Nothing for anything else.
std::optional<std::int64_t> ParseVolumeSize(std::string_view text);

class UsageError : public common::Error {
public:
    using common::Error::Error;
};

// args are the command-line arguments after the program name, in cp1250. Returns
// the exit status.
int Run(const std::vector<std::string>& args);

// Reports argument number index (from 1) that cannot be taken in, and returns the
// exit status for it.
int ArgumentError(int index, std::string_view reason);

}  // namespace instalator::respack
