#pragma once
// The look shared by the installer's dialogs: the fixed frame, the default font and
// the bold, centred instruction labels.

#include <string>

#include "platform/forms.hpp"

namespace instalator::dialogs {

// MS Sans Serif at a character height in pixels (11 is 8 points, 13 is 10 points).
platform::Font DialogFont(int height = 11, bool bold = false);

// A fixed dialog frame centred on the screen whenever shown; the title bar has a
// close button only when closeButton is true.
void SetDialogFrame(platform::Form& form, std::string caption, int clientWidth, int clientHeight, bool closeButton);

// A bold label centred both ways that wraps at word boundaries.
void SetCentredText(platform::Label& label, int fontHeight, std::string text);

// A double-quoted word, as the instruction texts quote the button "Instaluj".
std::string Quoted(const std::string& word);

}  // namespace instalator::dialogs
