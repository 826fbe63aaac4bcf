#pragma once
// TSelectDirectory: the target-directory dialog. Its field SelectedDir holds the
// target directory for the whole run.

#include "core/installer.hpp"
#include "platform/forms.hpp"

namespace instalator::dialogs {

// The target directory when the script names none.
inline constexpr std::string_view kDefaultTargetDir = "C:\\MyApp";

class TSelectDirectory final : public platform::Form {
private:
    core::Installer& run_;

public:
    explicit TSelectDirectory(core::Installer& run);

    platform::GroupBox GroupBox1;
    platform::BitmapButton BitBtn1;
    platform::Label Label1;
    platform::GroupBox GroupBox2;
    platform::DirectoryEdit SelectedDir;
    platform::BitmapButton BitBtn2;

    // Proposes [Application] TargetDir of the script.
    void FormCreate();
};

}  // namespace instalator::dialogs
