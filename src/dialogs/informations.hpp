#pragma once
// TInformations: the borderless picture window shown during the file pass, always
// on top.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

class TInformations final : public platform::Form {
public:
    explicit TInformations(core::Installer& run);

    platform::Picture Dest;
};

}  // namespace instalator::dialogs
