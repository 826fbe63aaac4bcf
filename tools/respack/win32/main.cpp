// respack's entry point on Windows: the arguments arrive as UTF-16 whatever the
// console's code page, and must be spellable in cp1250.

#include <string>
#include <vector>

#include "cli.hpp"
#include "common/text.hpp"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::u16string wide(argv[i], argv[i] + std::char_traits<wchar_t>::length(argv[i]));
        std::string text = instalator::common::Cp1250FromUtf16(wide);
        if (instalator::common::Utf16FromCp1250(text) != wide) {
            return instalator::respack::ArgumentError(i, "a character has no place in code page 1250");
        }
        args.push_back(std::move(text));
    }
    return instalator::respack::Run(args);
}
