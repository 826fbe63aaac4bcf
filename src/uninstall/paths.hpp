#pragma once
// Which paths the uninstaller may act on. A record of the uninstall log names a file
// the installation wrote; before anything is removed every such path must be a plain
// absolute Windows path, so that a damaged or hand-made log cannot send the
// uninstaller anywhere else (a relative path, "..", a device or network name, a
// drive root or the Windows directory itself).

#include <string>
#include <string_view>

namespace instalator::uninstall {

// "X:\name\name...": a drive letter, and one or more names none of which is empty,
// "." or "..", holds a character Windows refuses in names (control characters and
// < > : " / | ? *) or ends with a blank or "." (which Windows drops, so the name
// would stand for another one); at most 259 characters, no "\" at the end.
bool IsPlainAbsolutePath(std::string_view path);

// The directory part of a plain absolute path ("C:\A\B.txt" -> "C:\A"); a drive root
// keeps its "\" ("C:\A" -> "C:\").
std::string ParentOf(std::string_view path);

// True when inner lies inside outer (a path below it, not outer itself); letter
// case ignored.
bool IsInside(std::string_view inner, std::string_view outer);

// The directories nothing may remove: every drive root, the Windows and the system
// directory and every directory that holds one of them.
class ProtectedDirectories {
public:
    ProtectedDirectories(std::string windows, std::string system);
    bool Contains(std::string_view directory) const;

private:
    std::string windows_;
    std::string system_;
};

}  // namespace instalator::uninstall
