#pragma once
// The registry of the machine, through the W functions.

#include "platform/registry.hpp"

namespace instalator::platform::win32 {

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenRoot(RootKey root) override;
};

}  // namespace instalator::platform::win32
