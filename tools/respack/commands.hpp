#pragma once
// The commands of respack. Each returns its exit status; errors that end a command
// are thrown to the front end, which reports them.

#include "cli.hpp"

namespace instalator::respack {

int CreateCommand(const Arguments& args);
int AddCommand(const Arguments& args);
int ListCommand(const Arguments& args);
int ExtractCommand(const Arguments& args);
int TestCommand(const Arguments& args);
int CheckCommand(const Arguments& args);
int BuildCommand(const Arguments& args);
int UnpackCommand(const Arguments& args);

}  // namespace instalator::respack
