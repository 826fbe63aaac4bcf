#include "platform/win32/fonts.hpp"

#include "platform/win32/wide.hpp"

namespace instalator::platform::win32 {

// A negative height asks for the character height without the internal leading,
// which is how the forms give their fonts. Every text of the installer is Polish,
// so every font asks for the East-European character set: a Windows of another
// language then picks the face variant with the Polish letters, as a Polish one
// does by default. Edges are smoothed: text drawn without smoothing can come out
// wider than GDI measures it (by a pixel or more at the end of a bold word under
// Wine), and the last letter of a line broken to fit its label would be cut off.
HFONT FontCache::Get(const platform::Font& font) {
    const Key key{font.name, font.height, font.bold, font.italic};
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        const HFONT made = ::CreateFontW(-font.height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, FALSE,
                                         FALSE, EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                         ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide(font.name).c_str());
        found = fonts_.emplace(key, FontHandle(made)).first;
    }
    return found->second.Get();
}

}  // namespace instalator::platform::win32
