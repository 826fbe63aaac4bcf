#pragma once
// Owning wrappers for GDI handles: every device context, bitmap, pen and brush the
// backend makes is released by exactly one owner, and every object selected into a
// device context is put back before the context or the object goes.

#include "platform/win32/handle.hpp"
#include "platform/win32/win32_api.hpp"

#include <utility>

namespace instalator::platform::win32 {

using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;
using FontHandle = GdiObject<HFONT>;

// The device context of a window, borrowed with GetDC; ReleaseDC when it goes.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for a scope; the displaced object goes
// back when it ends. Declare it after the owner of the selected object.
class Selection {
public:
    Selection() = default;
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~Selection() { Restore(); }
    Selection(Selection&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
    Selection& operator=(Selection&& other) noexcept {
        if (this != &other) {
            Restore();
            dc_ = std::exchange(other.dc_, nullptr);
            previous_ = std::exchange(other.previous_, nullptr);
        }
        return *this;
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    void Restore() {
        if (dc_ != nullptr && previous_ != nullptr) ::SelectObject(dc_, previous_);
        dc_ = nullptr;
        previous_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A memory device context with a bitmap of its own selected into it; the members go
// in reverse order: the bitmap is deselected, deleted, then the context.
struct MemorySurface {
    MemoryDc dc;
    Bitmap bitmap;
    Selection selection;
};

}  // namespace instalator::platform::win32
