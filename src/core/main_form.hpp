#pragma once
// TMain: the borderless main window that covers the screen behind every dialog for
// the whole run. Creating it opens the package and the installation script and puts
// the product title on it; its timer starts the installation.

#include <cstdint>
#include <memory>
#include <string>

#include "core/installer.hpp"
#include "platform/forms.hpp"
#include "ui/form_fill.hpp"

namespace instalator::core {

// The two-line credit text in the lower left corner.
std::string CreditText();

// The directory of the executable at exePath, ending in "\" (a drive root keeps its
// one "\").
std::string SourceDirOf(const std::string& exePath);

class TMain final : public platform::Form {
private:
    // Declared before the controls: the background fill detaches from it when it goes.
    class FillHost;
    Installer& run_;
    std::unique_ptr<FillHost> fillHost_;

public:
    explicit TMain(Installer& run);
    ~TMain() override;

    platform::Label SubTitle;
    platform::Label SupTitle;
    ui::TFormFill FormFill1;
    platform::Timer Timer1;
    platform::Label MakerInfo1;
    platform::Label MakerInfo2;

    // Bytes of the current file written so far.
    std::int32_t FileDone = 0;
    // Unpacked size of the current file; 0 switches the progress display off.
    std::int32_t FileTotal = 0;
    // A write of the file being unpacked failed.
    bool IOFailed = false;
    // What the copy window is to show at its next update: the name of the file being
    // unpacked and, once known, the bars' positions in percent.
    std::string FileName;
    std::int64_t CurrentShare = 0;
    std::int64_t WholeShare = 0;
    bool SharesKnown = false;
    // When the copy window was last brought up to date (Ui::Milliseconds), if ever.
    std::uint32_t ShownAt = 0;
    bool Shown = false;

    void FormCreate();
    void FormResize();
    // Runs the installation sequence hooked to the run; never returns.
    [[noreturn]] void Timer1Timer();
};

}  // namespace instalator::core
