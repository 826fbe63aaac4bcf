#pragma once
// The uninstaller's command line and the uninstall entry's command: a program (or
// the switch /S) followed by the path of Setup.uni, quoted or not. The installer
// quotes a path that holds a blank; an unquoted one is taken whole to the end of the
// line, so that a hand-typed path with blanks still reads as one.

#include <optional>
#include <string>
#include <string_view>

namespace instalator::uninstall {

// The first word of a command (quoted or up to the first blank) and the rest, blanks
// around it and one pair of enclosing quotation marks removed.
struct SplitCommand {
    std::string first;
    std::string rest;
};
SplitCommand Split(std::string_view command);

// The rest as one argument: without the blanks around it and one pair of enclosing
// quotation marks.
std::string Argument(std::string_view text);

struct Command {
    bool silent = false;  // /S: no dialogs, the outcome only in the exit code
    std::string logPath;
};

// The uninstaller's arguments: an optional "/S" (any letter case), then the log's
// path. Nothing when no path is given.
std::optional<Command> ParseArguments(std::string_view arguments);

}  // namespace instalator::uninstall
