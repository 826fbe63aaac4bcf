// The shell's folder browser behind Ui::BrowseForFolder.

#include <shlobj.h>

#include <memory>

#include "platform/win32/wide.hpp"
#include "platform/win32/win32_ui.hpp"

namespace instalator::platform::win32 {
namespace {

bool IsDirectory(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::wstring> PathOf(PCIDLIST_ABSOLUTE item) {
    wchar_t path[MAX_PATH] = {};
    if (item == nullptr || !::SHGetPathFromIDListW(item, path)) return std::nullopt;
    return std::wstring(path);
}

// The start folder is selected when the browser opens, if it exists; OK is enabled
// only while the selection is an existing file-system directory.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    const auto& start = *reinterpret_cast<const std::wstring*>(data);
    if (message == BFFM_INITIALIZED && IsDirectory(start))
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.c_str()));
    if (message == BFFM_SELCHANGED) {
        const auto path = PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        ::SendMessageW(browser, BFFM_ENABLEOK, 0, path && IsDirectory(*path));
    }
    return 0;
}

struct ItemListFree {
    void operator()(ITEMIDLIST* item) const { ::CoTaskMemFree(item); }
};

}  // namespace

// Rooted at the desktop, file-system folders only (flags 9), no instruction text.
std::optional<std::string> Win32Ui::BrowseForFolder(const std::string& startFolder) {
    const std::wstring start = Wide(startFolder);
    BROWSEINFOW info{};
    info.hwndOwner = DialogOwner();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&start);
    const HWND active = ::GetActiveWindow();
    std::unique_ptr<ITEMIDLIST, ItemListFree> chosen;
    {
        const FormsDisabled forms(*this, nullptr);
        chosen.reset(::SHBrowseForFolderW(&info));
    }
    RestoreActivation(active);
    const auto path = PathOf(chosen.get());
    if (!path) return std::nullopt;
    return Narrow(*path);
}

}  // namespace instalator::platform::win32
