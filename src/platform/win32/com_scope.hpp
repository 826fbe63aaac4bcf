#pragma once
// The COM library initialised on this thread for a scope: plainly (CoInitialize) or
// with OLE on top (OleInitialize). A failed initialisation is not balanced.

#include "platform/win32/win32_api.hpp"
#include <objbase.h>
#include <ole2.h>

namespace instalator::platform::win32 {

template <typename Library>
class LibraryScope {
public:
    LibraryScope() : initialised_(SUCCEEDED(Library::Initialise())) {}
    ~LibraryScope() {
        if (initialised_) Library::Uninitialise();
    }
    LibraryScope(const LibraryScope&) = delete;
    LibraryScope& operator=(const LibraryScope&) = delete;

private:
    bool initialised_;
};

struct ComLibrary {
    static HRESULT Initialise() { return ::CoInitialize(nullptr); }
    static void Uninitialise() { ::CoUninitialize(); }
};
struct OleLibrary {
    static HRESULT Initialise() { return ::OleInitialize(nullptr); }
    static void Uninitialise() { ::OleUninitialize(); }
};

using ComScope = LibraryScope<ComLibrary>;
using OleScope = LibraryScope<OleLibrary>;

}  // namespace instalator::platform::win32
