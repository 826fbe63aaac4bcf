#include "dialogs/dialog_look.hpp"

namespace instalator::dialogs {

platform::Font DialogFont(int height, bool bold) {
    platform::Font font;
    font.height = height;
    font.bold = bold;
    return font;
}

void SetDialogFrame(platform::Form& form, std::string caption, int clientWidth, int clientHeight, bool closeButton) {
    form.SetCaption(std::move(caption));
    form.SetBorder(platform::BorderStyle::Dialog);
    form.SetIcons({closeButton, false, false});
    form.SetPosition(platform::FormPosition::ScreenCenter);
    form.SetFont(DialogFont());
    form.SetClientSize(clientWidth, clientHeight);
}

void SetCentredText(platform::Label& label, int fontHeight, std::string text) {
    label.SetFont(DialogFont(fontHeight, true));
    label.SetAlignment(platform::Alignment::Center);
    label.SetLayout(platform::VerticalLayout::Center);
    label.SetWordWrap(true);
    label.SetText(std::move(text));
}

std::string Quoted(const std::string& word) { return "\"" + word + "\""; }

}  // namespace instalator::dialogs
