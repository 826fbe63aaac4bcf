#pragma once
// One owner for every handle the backend opens: a kernel object, a file, a search, a
// library, a registry key, a GDI object or a memory device context is closed by
// exactly one owner, when that owner goes.

#include "platform/win32/win32_api.hpp"

#include <utility>

namespace instalator::platform::win32 {

// Traits name the handle type, the value that means "none" and how to close one.
template <typename Traits>
class Owned {
public:
    using Handle = typename Traits::Handle;

    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : handle_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::None(); }
    // Closes the handle held (if any) and takes handle instead.
    void Reset(Handle handle = Traits::None()) {
        if (handle_ != Traits::None()) Traits::Close(handle_);
        handle_ = handle;
    }
    // Gives the handle up without closing it.
    Handle Release() { return std::exchange(handle_, Traits::None()); }

private:
    Handle handle_ = Traits::None();
};

struct KernelObjectTraits {
    using Handle = HANDLE;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};
struct FileTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::CloseHandle(handle); }
};
struct SearchTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { ::FindClose(handle); }
};
struct LibraryTraits {
    using Handle = HMODULE;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { ::FreeLibrary(handle); }
};
struct KeyTraits {
    using Handle = HKEY;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { ::RegCloseKey(handle); }
};
template <typename GdiHandle>
struct GdiObjectTraits {
    using Handle = GdiHandle;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { ::DeleteObject(handle); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { ::DeleteDC(handle); }
};

// A process token, an event, a thread: anything CloseHandle closes and null means none.
using KernelObject = Owned<KernelObjectTraits>;
// An open file: INVALID_HANDLE_VALUE means none.
using FileHandle = Owned<FileTraits>;
// A FindFirstFile search.
using Search = Owned<SearchTraits>;
// A loaded library.
using Library = Owned<LibraryTraits>;
// An open registry key of this process (never one of the predefined root keys).
using KeyHandle = Owned<KeyTraits>;
// A pen, brush, bitmap or font made by this process.
template <typename GdiHandle>
using GdiObject = Owned<GdiObjectTraits<GdiHandle>>;
// A memory device context.
using MemoryDc = Owned<MemoryDcTraits>;

// A memory device context compatible with dc (the screen for nullptr).
inline MemoryDc CompatibleDc(HDC dc) { return MemoryDc(::CreateCompatibleDC(dc)); }

}  // namespace instalator::platform::win32
