#include "core/main_form.hpp"

#include <algorithm>
#include <vector>

#include "common/strings.hpp"
#include "common/text.hpp"
#include "core/script.hpp"

namespace instalator::core {
namespace {

using platform::Color;
using platform::Font;

constexpr Color kBlack{0, 0, 0};
constexpr Color kWhite{255, 255, 255};
constexpr Color kTeal{0, 128, 128};

Font TitleFont(Color colour) {
    return {"Arial", 32, true, true, platform::Charset::EastEurope, colour};
}

Font CreditFont(Color colour) { return {"MS Sans Serif", 19, true, false, platform::Charset::Default, colour}; }

}  // namespace

std::string CreditText() { return common::Cp1250(u8"Instalator wersja 1.0\r\n© Kalamarz s.c."); }

std::string SourceDirOf(const std::string& exePath) {
    std::string dir = common::DirectoryPart(exePath);
    if (common::RightText(dir, 1) != "\\") dir += '\\';
    return dir;
}

// Lets the background fill see the main window through the small interface it
// needs: the window-procedure slot, the paint order and the client size.
class TMain::FillHost final : public ui::FillParent {
public:
    explicit FillHost(platform::Form& form) : form_(form) {}

    ui::WindowProcedure WindowProc() override { return form_.WindowProc(); }
    void SetWindowProc(ui::WindowProcedure procedure) override { form_.SetWindowProc(std::move(procedure)); }

    void InsertFill(ui::TFormFill& fill) override {
        fills_.push_back(&fill);
        form_.AddPaintLayer(&fill, [&fill](platform::Canvas& surface) { fill.Paint(surface); }, true);
    }
    void RemoveFill(ui::TFormFill& fill) override {
        std::erase(fills_, &fill);
        form_.RemovePaintLayer(&fill);
    }
    bool HasOtherFill(const ui::TFormFill& fill) const override {
        return std::any_of(fills_.begin(), fills_.end(), [&fill](const ui::TFormFill* f) { return f != &fill; });
    }

    void Repaint() override { form_.Repaint(); }
    int ClientWidth() const override { return form_.ClientWidth(); }
    int ClientHeight() const override { return form_.ClientHeight(); }

private:
    platform::Form& form_;
    std::vector<ui::TFormFill*> fills_;
};

TMain::TMain(Installer& run)
    : Form(run.App, "TMain"),
      run_(run),
      fillHost_(std::make_unique<FillHost>(*this)),
      SubTitle(*this, "SubTitle", {12, 8, 537, 41}),
      SupTitle(*this, "SupTitle", {14, 10, 507, 45}),
      Timer1(*this, "Timer1"),
      MakerInfo1(*this, "MakerInfo1", {15, 0, 0, 0}),
      MakerInfo2(*this, "MakerInfo2", {16, 0, 0, 0}) {
    SetCaption("Main");
    SetBorder(platform::BorderStyle::None);
    SetIcons({false, false, false});
    SetState(platform::WindowState::Maximized);
    SetClientSize(640, 480);

    for (auto [label, colour] : {std::pair{&SubTitle, kBlack}, std::pair{&SupTitle, kWhite}}) {
        label->SetFont(TitleFont(colour));
        label->SetTransparent(true);
        label->SetWordWrap(true);
    }
    for (auto [label, colour] : {std::pair{&MakerInfo1, kWhite}, std::pair{&MakerInfo2, kTeal}}) {
        label->SetFont(CreditFont(colour));
        label->SetTransparent(true);
        label->SetAutoSize(true);
        label->SetText(CreditText());
    }

    // Armed at the end of FormCreate, so that no tick can start the installation while
    // start-up still shows its message.
    Timer1.SetEnabled(false);
    OnCreate = [this] { FormCreate(); };
    OnResize = [this] { FormResize(); };
    Timer1.OnTimer = [this] { Timer1Timer(); };

    FormFill1.SetParent(fillHost_.get());
    FormFill1.SetFillType("Blue");
}

TMain::~TMain() = default;

void TMain::FormCreate() {
    InstallerState& state = run_.State;
    state.ScriptFileName.clear();
    state.SetupPackage = std::make_unique<package::TResourceClass>(run_.Machine.files, run_.TempDir);
    state.SourceDir = SourceDirOf(run_.Machine.system.ExecutablePath());
    if (!state.SetupPackage->OpenPackage(state.SourceDir + "Setup1.res")) {
        run_.EndWithMessage(ExitCode::PackageFault, common::Cp1250(u8"Brak plików w pakiecie instalacyjnym !"));
    }
    state.ScriptFileName = state.SetupPackage->ExtractToTemp("Setup.lst");
    state.ScriptIni = std::make_unique<profile::TIniFile>(run_.Machine.files, state.ScriptFileName);
    state.Title = ScriptTitle(*state.ScriptIni);
    SubTitle.SetText(state.Title);
    SupTitle.SetText(state.Title);
    Timer1.SetEnabled(true);
}

void TMain::FormResize() {
    const int height = Height();
    MakerInfo2.SetBounds({16, height - MakerInfo2.Height() - 39, MakerInfo2.Width(), MakerInfo2.Height()});
    MakerInfo1.SetBounds({15, height - MakerInfo1.Height() - 40, MakerInfo1.Width(), MakerInfo1.Height()});
}

void TMain::Timer1Timer() {
    if (run_.Sequence) run_.Sequence(run_);
    run_.EndInstaller();
}

}  // namespace instalator::core
