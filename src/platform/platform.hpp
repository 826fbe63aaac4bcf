#pragma once
// The machine the installer runs on, as one bundle of its platform objects. The
// Win32 entry point builds it from the real system; tests build it from the
// headless machine.

#include "platform/file_system.hpp"
#include "platform/registry.hpp"
#include "platform/shell.hpp"
#include "platform/system.hpp"
#include "platform/ui.hpp"

namespace instalator::platform {

struct Platform {
    FileSystem& files;  // Windows paths
    Registry& registry;
    System& system;
    Ui& ui;
    Shell& shell;
};

}  // namespace instalator::platform
