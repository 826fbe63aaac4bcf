#pragma once
// respack's front end: parses the command line, runs one command and turns every
// error into a message on stderr and an exit status.

#include <string>
#include <string_view>
#include <vector>

#include "common/errors.hpp"

namespace instalator::respack {

// One command's arguments after parsing.
struct Arguments {
    std::vector<std::string> operands;  // the package first
    std::string directory;              // extract's -d DIR; empty when not given
    bool catalogue = true;              // add writes a catalogue; false with --no-catalogue
};

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
