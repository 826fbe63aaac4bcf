#include "platform/keyboard_navigation.hpp"

#include <algorithm>

#include "common/text.hpp"

namespace instalator::platform {
namespace {

void Collect(const Container& container, std::vector<Control*>& chain) {
    for (Control* control : container.TabOrdered()) {
        if (!control->Visible() || !control->Enabled()) continue;
        if (control->TabStop()) chain.push_back(control);
        if (Container* inner = control->AsContainer()) Collect(*inner, chain);
    }
}

bool TakesAccelerator(const Control& control) {
    const ControlKind kind = control.Kind();
    return kind == ControlKind::Button || kind == ControlKind::BitmapButton || kind == ControlKind::CheckBox;
}

}  // namespace

std::vector<Control*> FocusChain(const Form& form) {
    std::vector<Control*> chain;
    Collect(form, chain);
    return chain;
}

Control* NextInChain(const Form& form, const Control* current, bool forward) {
    const std::vector<Control*> chain = FocusChain(form);
    if (chain.empty()) return nullptr;
    const auto at = std::find(chain.begin(), chain.end(), current);
    if (at == chain.end()) return forward ? chain.front() : chain.back();
    const std::size_t index = static_cast<std::size_t>(at - chain.begin());
    if (forward) return chain[(index + 1) % chain.size()];
    return chain[(index + chain.size() - 1) % chain.size()];
}

char Accelerator(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return common::LowerChar(caption[i + 1]);
        ++i;  // "&&": a plain "&"
    }
    return 0;
}

Control* ControlForAccelerator(const Form& form, char key) {
    if (key == 0) return nullptr;
    const char wanted = common::LowerChar(key);
    for (Control* control : FocusChain(form)) {
        if (TakesAccelerator(*control) && Accelerator(control->Text()) == wanted) return control;
    }
    return nullptr;
}

}  // namespace instalator::platform
