// respack's entry point on a POSIX host: the arguments arrive as UTF-8.

#include <string>
#include <vector>

#include "cli.hpp"
#include "common/errors.hpp"
#include "common/text.hpp"

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        try {
            args.push_back(instalator::common::Cp1250FromUtf8(argv[i]));
        } catch (const instalator::common::Error& e) {
            return instalator::respack::ArgumentError(i, e.what());
        }
    }
    return instalator::respack::Run(args);
}
