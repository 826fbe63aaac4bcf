#pragma once
// TSelectDirectory: the target-directory dialog. The directory in its field
// SelectedDir when it closes is the run's target directory.

#include "core/installer.hpp"
#include <string>

#include "platform/forms.hpp"
#include "platform/system.hpp"

namespace instalator::dialogs {

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

    // Shows the dialog until it closes and makes the directory in the field the
    // run's target directory. /D= puts its directory in the field first; a silent run
    // takes the field's directory without showing the dialog (TakeTarget).
    void AskTarget();
    // Makes the field's text end with "\" and creates the directory when it is
    // missing; ends the run (the target cannot be created) when that fails.
    void TakeTarget();
    // Proposes [Application] TargetDir of the script.
    void FormCreate();
    // "&Instaluj" (and Enter in the field): makes the text end with "\", offers to
    // create a missing directory, and closes the dialog once the directory exists.
    void BitBtn1Click();
    // "Przerwij instalację": ends the installer when the user confirms.
    void BitBtn2Click();
    // Enter in the field runs BitBtn1Click.
    void SelectedDirKeyPress(char& key);
    // The browser starts at the text, or at "\" when that is not a directory.
    void SelectedDirBeforeDialog(std::string& startFolder);
    // The browser's folder gets "Quill07\" (after a "\" when it has none).
    void SelectedDirAfterDialog(std::string& path, bool& accepted);
};

// True when path names an existing directory: made current for a moment, then the
// current directory is set back (an IoError when that fails).
bool IsExistingDirectory(platform::System& system, const std::string& path);

}  // namespace instalator::dialogs
