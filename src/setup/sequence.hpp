#pragma once
// The installation sequence: the first tick of the main window's timer runs the whole
// installation once, from the welcome dialog to the end of the process. Also the
// free-space check with its question and the placement of the picture and copy
// windows over the main window.

#include <cstdint>
#include <optional>
#include <string>

#include "core/installer.hpp"
#include "platform/ui.hpp"

namespace instalator::setup {

// What the free-space check adds to every requirement, in bytes.
inline constexpr std::int64_t kSpaceMargin = 1000000;

// Where the picture window goes over a main window with that outer frame: 8 pixels
// right of its left edge, a sixth of its height below its top.
platform::Rect PictureWindowPlace(const platform::Rect& main, int width, int height);
// Where the copy window (outer width × height) goes: centred across the main
// window's width, its bottom an eighth of the main window's height above the bottom.
// Only the main window's size counts, not its position.
platform::Rect CopyWindowPlace(const platform::Rect& main, int width, int height);

// The space question: a Yes/No box with caption "Quill07" and no icon; kIdYes or
// kIdNo.
int AskYesNo(core::Installer& run, const std::string& text);

// True when free bytes (nothing: the query failed) are fewer than needed plus the
// margin. A failed query always counts as too little.
bool SpaceIsShort(std::optional<std::int64_t> freeBytes, std::int32_t needed);

// Compares the free space against the script's requirements (one check of the sum
// when the target lies on the system drive, else one per drive) and asks for each
// shortfall; a No ends the installer.
void CheckDiskSpace(core::Installer& run);

// The whole installation; ends the installer and never returns.
[[noreturn]] void Timer1Timer(core::Installer& run);

}  // namespace instalator::setup
