#pragma once
// The fonts of the toolkit as GDI fonts, made once per look and kept for the run.

#include "platform/win32/win32_api.hpp"

#include <map>
#include <string>
#include <tuple>

#include "platform/ui.hpp"
#include "platform/win32/gdi.hpp"

namespace instalator::platform::win32 {

class FontCache {
public:
    // The GDI font for font (its colour aside); owned by the cache.
    HFONT Get(const platform::Font& font);

private:
    using Key = std::tuple<std::string, int, bool, bool>;
    std::map<Key, FontHandle> fonts_;
};

}  // namespace instalator::platform::win32
