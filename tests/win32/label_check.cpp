// label_check.exe: the bold labels of the installer's windows, each word painted
// under Wine with the font the backend makes for it. A wrapped line ends with a
// word and is cut at the label's edge, so no word may leave ink right of the width
// GDI measures for it, beyond the overhang its last letter declares (italic letters
// lean out of their cell). Prints one "ok"/"not ok" line per label, numbered from
// the first argument + 1; the exit code is the number of failed checks.

#include <fcntl.h>
#include <io.h>
#include "core/script.hpp"
#include "platform/win32/win32_api.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/text.hpp"
#include "core/installer.hpp"
#include "core/main_form.hpp"
#include "dialogs/finish.hpp"
#include "dialogs/grupa.hpp"
#include "dialogs/make_sure.hpp"
#include "dialogs/restart_me.hpp"
#include "dialogs/select_dir.hpp"
#include "platform/file_system.hpp"
#include "platform/win32/wide.hpp"
#include "platform/win32/win32_registry.hpp"
#include "platform/win32/win32_shell.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_ui.hpp"

namespace {

using namespace instalator;
namespace win32 = platform::win32;

int number = 0;
int failures = 0;

void Report(bool ok, const std::string& what, const std::string& detail) {
    ++number;
    std::printf("%s %d - %s\n", ok ? "ok" : "not ok", number, what.c_str());
    if (!ok) {
        ++failures;
        std::printf("#   %s\n", detail.c_str());
    }
}

constexpr int kMargin = 8;  // left of the text, so that ink left of its start is kept too

// The columns the word takes: drawn at kMargin in black on white, the column after
// its rightmost inked pixel, less kMargin.
int InkWidth(HFONT font, const std::wstring& word, int room) {
    const int width = room + 4 * kMargin, height = 128;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    const HGDIOBJ oldFont = ::SelectObject(dc, font);
    const RECT all{0, 0, width, height};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::TextOutW(dc, kMargin, kMargin, word.c_str(), static_cast<int>(word.size()));
    ::GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    int right = kMargin;
    for (int y = 0; y < height; ++y)
        for (int x = right; x < width; ++x)
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) right = x + 1;
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return right - kMargin;
}

// The width GDI measures for the word, with the overhang of its last letter.
int MeasuredWidth(HFONT font, const std::wstring& word) {
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, word.c_str(), static_cast<int>(word.size()), &size);
    ABC last{};
    const int overhang = ::GetCharABCWidthsW(dc, word.back(), word.back(), &last) && last.abcC < 0 ? -last.abcC : 0;
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return size.cx + overhang;
}

std::vector<std::wstring> Words(const std::string& text) {
    std::vector<std::wstring> words;
    std::wstring word;
    for (const wchar_t c : win32::Wide(text) + L" ") {
        if (c != L' ' && c != L'\r' && c != L'\n') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

void CheckLabel(win32::Win32Ui& ui, const std::string& form, const platform::Label& label) {
    const HFONT font = ui.Fonts().Get(label.GetFont());
    std::string overflows;
    for (const std::wstring& word : Words(label.Text())) {
        const int measured = MeasuredWidth(font, word);
        const int ink = InkWidth(font, word, measured);
        if (ink <= measured) continue;
        overflows += " " + common::Utf8FromCp1250(win32::Narrow(word)) + " " + std::to_string(ink) + "/" +
                     std::to_string(measured);
    }
    Report(overflows.empty(), form + "." + label.Name() + ": no word inks past its measured width",
           "ink/measured:" + overflows);
}

void CheckBoldLabels(win32::Win32Ui& ui, const std::string& form, const platform::Container& container) {
    for (platform::Control* control : container.Controls()) {
        if (control->Kind() == platform::ControlKind::Label && control->GetFont().bold)
            CheckLabel(ui, form, static_cast<const platform::Label&>(*control));
        if (const platform::Container* inner = control->AsContainer()) CheckBoldLabels(ui, form, *inner);
    }
}

template <typename Window>
void CheckWindow(win32::Win32Ui& ui, core::Installer& run) {
    const Window window(run);
    CheckBoldLabels(ui, window.Name(), window);
}

// The windows with bold labels, their texts as a run with the default title shows
// them (the title and the welcome are set when the windows are created and shown).
void CheckWindows(win32::Win32Ui& ui, core::Installer& run) {
    const std::string title(core::kDefaultTitle);
    core::TMain main(run);
    main.SubTitle.SetText(title);
    main.SupTitle.SetText(title);
    CheckBoldLabels(ui, main.Name(), main);
    dialogs::TMakeSure makeSure(run);
    makeSure.MakeInfo.SetText(dialogs::WelcomeText(title));
    CheckBoldLabels(ui, makeSure.Name(), makeSure);
    CheckWindow<dialogs::TSelectDirectory>(ui, run);
    CheckWindow<dialogs::TGrupa>(ui, run);
    CheckWindow<dialogs::TRestartME>(ui, run);
    CheckWindow<dialogs::TFinish>(ui, run);
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc > 1) number = std::atoi(argv[1]);
    {
        win32::Win32Ui ui(::GetModuleHandleW(nullptr));
        win32::Win32System system;
        win32::Win32Registry registry;
        win32::Win32Shell shell(ui);
        platform::Platform machine{platform::HostFileSystem(), registry, system, ui, shell};
        core::Installer run(machine);
        CheckWindows(ui, run);
    }
    std::fflush(stdout);
    return failures;
}
