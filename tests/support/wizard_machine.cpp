#include "support/wizard_machine.hpp"

#include <cstdint>

#include "core/main_form.hpp"
#include "setup/run_installer.hpp"

namespace instalator::testing {
namespace {

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::vector<const platform::Event*> Of(const platform::HeadlessUi& ui, platform::Event::Kind kind) {
    return ui.EventsOf(kind);
}

}  // namespace

std::string BmpFile(int width, int height) {
    const auto w = static_cast<std::uint32_t>(width);
    const auto h = static_cast<std::uint32_t>(height);
    const std::uint32_t stride = (w * 3 + 3) / 4 * 4;
    std::string bmp = "BM";
    Put(bmp, 54 + stride * h, 4);
    Put(bmp, 0, 4);
    Put(bmp, 54, 4);
    Put(bmp, 40, 4);
    Put(bmp, w, 4);
    Put(bmp, h, 4);
    Put(bmp, 1, 2);
    Put(bmp, 24, 2);
    Put(bmp, 0, 4);
    Put(bmp, stride * h, 4);
    Put(bmp, 2835, 4);
    Put(bmp, 2835, 4);
    Put(bmp, 0, 4);
    Put(bmp, 0, 4);
    bmp.append(static_cast<std::size_t>(stride) * h, '\x80');
    return bmp;
}

void PrepareWizard(InstallerMachine& m, const std::string& script, bool splash1, bool setup2,
                   const std::map<std::string, std::string>& more) {
    std::map<std::string, std::string> entries = more;
    entries["Setup.lst"] = script;
    if (splash1) entries["Splash1.bmp"] = BmpFile(400, 261);
    if (setup2) entries["setup2.bmp"] = BmpFile(149, 293);
    m.MakePackage("C:\\DIST\\Setup1.res", entries);
    m.machine.system.SetExecutablePath("C:\\DIST\\SETUP.EXE");
}

platform::RunOutcome RunWithWindows(InstallerMachine& m, const std::function<void(core::Installer&)>& body) {
    return m.machine.Run([&](platform::Platform& platform) {
        core::Installer run(platform);
        run.App.SetTitle(std::string(core::kApplicationTitle));
        setup::CreateWindows(run);
        // As the sequence does first: the main window's timer must not start it while
        // a dialog of the test waits.
        run.Windows.Main->Timer1.SetEnabled(false);
        body(run);
        return 0;
    });
}

std::vector<std::string> ModalForms(const platform::HeadlessUi& ui) {
    std::vector<std::string> names;
    for (const platform::Event* event : Of(ui, platform::Event::Kind::ShownModal)) names.push_back(event->form.name);
    return names;
}

std::vector<std::string> ShownForms(const platform::HeadlessUi& ui) {
    std::vector<std::string> names;
    for (const platform::Event* event : Of(ui, platform::Event::Kind::Shown)) names.push_back(event->form.name);
    return names;
}

std::vector<std::string> BoxTexts(const platform::HeadlessUi& ui) {
    std::vector<std::string> texts;
    for (const platform::Event* event : Of(ui, platform::Event::Kind::MessageBox)) texts.push_back(event->text);
    return texts;
}

std::vector<std::string> StatusTexts(const platform::HeadlessUi& ui) {
    std::vector<std::string> texts;
    for (const platform::Event* event : Of(ui, platform::Event::Kind::Shown)) {
        if (event->form.name == "TMessageR") texts.push_back(event->form.Control("MessageText").text);
    }
    return texts;
}

}  // namespace instalator::testing
