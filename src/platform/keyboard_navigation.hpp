#pragma once
// How the keyboard moves through a form, as every backend with real windows needs
// it: Tab walks the controls that take the focus in tab order, and Alt with a letter
// presses the button whose caption marks that letter with "&".

#include <string_view>
#include <vector>

#include "platform/forms.hpp"

namespace instalator::platform {

// The controls of form that take the focus, in tab order, looking into group boxes
// and panels in their place; hidden or disabled controls, and everything inside a
// hidden or disabled box, are left out.
std::vector<Control*> FocusChain(const Form& form);

// The control after current in the focus chain (before it when forward is false),
// wrapping at the ends; the first (last) one when current is not in the chain;
// nullptr when the chain is empty.
Control* NextInChain(const Form& form, const Control* current, bool forward);

// The character a caption marks with "&", lower-cased with the code page's rules;
// 0 when there is none. "&&" stands for a plain "&".
char Accelerator(std::string_view caption);

// The button or check box of the focus chain whose caption marks key (in either
// letter case); nullptr when there is none.
Control* ControlForAccelerator(const Form& form, char key);

}  // namespace instalator::platform
