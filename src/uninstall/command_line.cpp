#include "uninstall/command_line.hpp"

#include <algorithm>

#include "common/strings.hpp"

namespace instalator::uninstall {
namespace {

constexpr std::string_view kBlanks = " \t";

}  // namespace

std::string Argument(std::string_view text) {
    text = common::TrimBlanks(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return std::string(text);
}

SplitCommand Split(std::string_view command) {
    command = common::TrimBlanks(command);
    std::size_t end = 0;
    if (!command.empty() && command.front() == '"') {
        const std::size_t close = command.find('"', 1);
        end = close == std::string_view::npos ? command.size() : close + 1;
    } else {
        end = std::min(command.find_first_of(kBlanks), command.size());
    }
    return {Argument(command.substr(0, end)), Argument(command.substr(end))};
}

std::optional<Command> ParseArguments(std::string_view arguments) {
    Command command;
    const SplitCommand words = Split(arguments);
    if (words.first == "/S" || words.first == "/s") {
        command.silent = true;
        command.logPath = words.rest;
    } else {
        command.logPath = Argument(arguments);
    }
    if (command.logPath.empty()) return std::nullopt;
    return command;
}

}  // namespace instalator::uninstall
