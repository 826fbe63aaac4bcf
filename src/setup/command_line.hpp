#pragma once
// The installer's command line: switches in any letter case, each starting with "/"
// after a blank (or the start of the line), the whole switch optionally in
// quotation marks. A value (/D=, /G=, /LOG=) runs to the next switch (a blank, "/"
// and a word) or the end of the line, so a directory may hold blanks without
// quotation marks; a value wholly in quotation marks loses them.

#include <string>
#include <string_view>

#include "core/run_report.hpp"

namespace instalator::setup {

struct CommandLine {
    core::Switches switches;
    // Why the line cannot be used (cp1250); empty when it can. The switches read
    // before and after a fault are still filled in, so that /S and /LOG still hold.
    std::string error;
};

CommandLine ParseCommandLine(std::string_view arguments);

// The switches explained, for the /? box and below a usage error (cp1250).
std::string UsageText();

}  // namespace instalator::setup
