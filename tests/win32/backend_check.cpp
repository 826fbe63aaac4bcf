// backend_check.exe: checks the Win32 backend against the portable reference under
// Wine. The GDI canvas must draw what PixelCanvas draws (the painters are tested
// pixel for pixel on PixelCanvas only), the registry must keep cp1250 text and
// report refusals, a picture must survive the trip into a DIB section, the
// system facts must come through the W functions whole, and file versions must be
// what the system's version functions (linked here, never in Setup.exe) find.
// Prints one "ok"/"not ok" line per check, numbered from the first argument + 1;
// the exit code is the number of failed checks.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/text.hpp"
#include "package/version.hpp"
#include "platform/file_system.hpp"
#include "platform/pixel_canvas.hpp"
#include "platform/win32/gdi_canvas.hpp"
#include "platform/win32/picture.hpp"
#include "platform/win32/win32_registry.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/wide.hpp"

namespace {

using instalator::platform::Canvas;
using instalator::platform::Color;
using instalator::platform::Image;
using instalator::platform::PixelCanvas;
namespace win32 = instalator::platform::win32;

// The file version as the installer reads it from the host's files.
instalator::package::FileVersion InstallerFileVersion(const std::string& path) {
    return instalator::package::ReadFileVersion(instalator::platform::HostFileSystem(), path);
}

int number = 0;
int failures = 0;

void Report(bool ok, const std::string& what, const std::string& detail = {}) {
    ++number;
    std::printf("%s %d - %s\n", ok ? "ok" : "not ok", number, what.c_str());
    if (!ok) {
        ++failures;
        if (!detail.empty()) std::printf("#   %s\n", detail.c_str());
    }
}

// A GDI canvas on a 32-bit DIB section, so the pixels can be read back exactly.
class DibCanvas {
public:
    DibCanvas(int width, int height) : width_(width), height_(height) {
        Image blank;
        blank.width = width;
        blank.height = height;
        blank.pixels.assign(static_cast<std::size_t>(width) * height, 0);
        auto surface = std::make_unique<win32::MemorySurface>();
        surface->dc = win32::CompatibleDc(nullptr);
        surface->bitmap = win32::DibFromImage(blank);
        surface->selection = win32::Selection(surface->dc.Get(), surface->bitmap.Get());
        DIBSECTION section{};
        ::GetObjectW(surface->bitmap.Get(), sizeof section, &section);
        bits_ = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
        canvas_ = std::make_unique<win32::GdiCanvas>(std::move(surface), width, height);
    }
    Canvas& Get() { return *canvas_; }
    Color Pixel(int x, int y) const {
        ::GdiFlush();
        const std::uint32_t p = bits_[y * width_ + x];
        return Color{static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                     static_cast<std::uint8_t>(p)};
    }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    const std::uint32_t* bits_ = nullptr;
    std::unique_ptr<win32::GdiCanvas> canvas_;
};

std::string Describe(Color c) {
    char text[16];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", c.r, c.g, c.b);
    return text;
}

// Draws the same script on both surfaces and compares every pixel; a failure names
// the first few pixels that differ.
void Compare(const std::string& what, int width, int height, const std::function<void(Canvas&)>& draw) {
    DibCanvas gdi(width, height);
    PixelCanvas reference(width, height);
    draw(gdi.Get());
    draw(reference);
    int differences = 0;
    std::string detail;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color want = reference.Pixel(x, y), got = gdi.Pixel(x, y);
            if (want == got || ++differences > 8) continue;
            char where[32];
            std::snprintf(where, sizeof where, " %d,%d: GDI ", x, y);
            detail += where + Describe(got) + " reference " + Describe(want) + ";";
        }
    }
    Report(differences == 0, "GDI canvas equals the reference: " + what,
           std::to_string(differences) + " pixels differ:" + detail);
}

constexpr Color kRed{255, 0, 0};
constexpr Color kBlue{0, 0, 255};
constexpr Color kOlive{128, 128, 0};
constexpr Color kWhite{255, 255, 255};

void CanvasChecks() {
    Compare("rectangles with the default pen and brush, partly outside", 40, 30, [](Canvas& c) {
        c.Rectangle(2, 3, 20, 12);
        c.Rectangle(-1, 20, 40, 23);
        c.Rectangle(30, -5, 45, 5);
        c.Rectangle(10, 14, 11, 15);  // 1 x 1: the outline alone
    });
    Compare("blue bands as the background fill draws them", 50, 21, [](Canvas& c) {
        for (int i = 0; i <= 21; i += 2) {
            c.SetBrush(Color{0, 0, static_cast<std::uint8_t>(255 - 10 * i)});
            c.Rectangle(-1, i - 1, 50, i + 2);
        }
    });
    Compare("coloured pen and brush, reversed corners", 30, 30, [](Canvas& c) {
        c.SetPen(kRed);
        c.SetBrush(kOlive);
        c.Rectangle(25, 25, 5, 8);
        c.SetPen(kBlue);
        c.Rectangle(0, 0, 6, 6);
    });
    Compare("lines in all eight directions, end points left out", 41, 41, [](Canvas& c) {
        const int ends[][2] = {{40, 20}, {40, 33}, {33, 40}, {20, 40}, {7, 40}, {0, 33}, {0, 20}, {0, 7},
                               {7, 0},   {20, 0},  {33, 0},  {40, 7},  {40, 40}, {0, 0},  {0, 40}, {40, 0}};
        c.SetPen(kWhite);
        for (const auto& end : ends) {
            c.MoveTo(20, 20);
            c.LineTo(end[0], end[1]);
        }
    });
    Compare("a polyline continues from the last end point", 30, 30, [](Canvas& c) {
        c.SetPen(kRed);
        c.MoveTo(2, 2);
        c.LineTo(27, 2);
        c.LineTo(27, 27);
        c.LineTo(2, 27);
        c.LineTo(2, 2);
    });
    Compare("FillRect and SetPixel leave pen and brush alone", 20, 20, [](Canvas& c) {
        c.FillRect(3, 4, 17, 9, kOlive);
        c.FillRect(-5, 15, 5, 25, kBlue);
        c.SetPixel(0, 0, kRed);
        c.SetPixel(19, 19, kWhite);
        c.SetPixel(25, 3, kWhite);
        c.Rectangle(8, 11, 14, 17);
    });
    Compare("a tile drawn off-screen and repeated with clipping", 70, 50, [](Canvas& c) {
        auto tile = c.CreateCompatible(30, 30);
        tile->FillRect(0, 0, 30, 30, kOlive);
        tile->SetBrush(kRed);
        tile->Rectangle(5, 5, 25, 25);
        tile->SetPixel(0, 29, kWhite);
        for (int y = 0; y < 50; y += 30)
            for (int x = 0; x < 70; x += 30) c.CopyFrom(*tile, 0, 0, x, y, 30, 30);
        c.CopyFrom(*tile, 20, 20, -5, -5, 30, 30);
    });
}

void CompatibleCheck() {
    DibCanvas gdi(10, 10);
    auto tile = gdi.Get().CreateCompatible(4, 3);
    Report(tile->Width() == 4 && tile->Height() == 3, "a compatible surface has the size asked for");
    bool refused = false;
    PixelCanvas other(4, 4);
    try {
        gdi.Get().CopyFrom(other, 0, 0, 0, 0, 4, 4);
    } catch (const instalator::platform::ImageError&) {
        refused = true;
    }
    Report(refused, "copying from a surface that is not GDI is refused");
}

void PictureCheck() {
    Image image;
    image.width = 3;
    image.height = 2;
    image.pixels = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00808000, 0x00FFFFFF, 0x00010203};
    const win32::Bitmap dib = win32::DibFromImage(image);
    const win32::MemoryDc dc = win32::CompatibleDc(nullptr);
    const win32::Selection selected(dc.Get(), dib.Get());
    bool same = true;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const COLORREF c = ::GetPixel(dc.Get(), x, y);
            const std::uint32_t rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
            same = same && rgb == image.At(x, y);
        }
    }
    Report(same, "a picture becomes a DIB with the same pixels, top row first");
}

using instalator::platform::KeyAccess;
using instalator::platform::RootKey;

void RegistryChecks() {
    win32::Win32Registry registry;
    const std::string path = "Software\\Kalamarz\\InstalatorCheck";
    const std::string polish = instalator::common::Cp1250(u8"Zażółć gęślą jaźń");
    auto root = registry.OpenRoot(RootKey::CurrentUser);
    auto key = root->CreateSubKey(path + "\\" + instalator::common::Cp1250(u8"Gałąź"));
    Report(key != nullptr, "creating a key with its missing parents");
    Report(key && key->SetString(instalator::common::Cp1250(u8"Wartość"), polish), "storing a string value");
    wchar_t stored[64] = L"";
    DWORD size = sizeof stored;
    const LONG got = ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Kalamarz\\InstalatorCheck\\Ga\u0142\u0105\u017a",
                                    L"Warto\u015b\u0107", RRF_RT_REG_SZ, nullptr, stored, &size);
    const std::wstring expected = L"Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144";
    Report(got == ERROR_SUCCESS && stored == expected,
           "other programs read the key, the value's name and the text in Polish");
    auto read = root->OpenSubKey(path + "\\" + instalator::common::Cp1250(u8"GAŁĄŹ"), KeyAccess::Read);
    const auto back = read ? read->QueryString(instalator::common::Cp1250(u8"WARTOŚĆ")) : std::nullopt;
    Report(back == polish, "reading it back by names in other letter case keeps the Polish text");
    Report(read && !read->QueryString("missing"), "a missing value reads as nothing");
    Report(read && !read->SetString("x", "y"), "a key opened for reading refuses to store");
    Report(root->OpenSubKey(path + "\\nowhere", KeyAccess::Read) == nullptr, "a missing key does not open");

    HKEY raw = nullptr;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Kalamarz\\InstalatorCheck", 0, KEY_WRITE, &raw);
    const DWORD number32 = 7;
    ::RegSetValueExW(raw, L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number32), sizeof number32);
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    ::RegSetValueExW(raw, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), sizeof unterminated);
    const wchar_t inner[] = L"left\0right";
    ::RegSetValueExW(raw, L"inner", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(inner), sizeof inner);
    ::RegCloseKey(raw);
    auto top = root->OpenSubKey(path, KeyAccess::Read);
    Report(top && !top->QueryString("number"), "a DWORD value is not a string");
    Report(top && top->QueryString("bare") == "abc", "a string stored without its NUL reads whole");
    Report(top && top->QueryString("inner") == "left", "a string ends at its first NUL, REG_EXPAND_SZ too");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kalamarz");
}

void SystemChecks() {
    win32::Win32System system;
    const std::string path = system.ExecutablePath();
    Report(path.size() > 18 && instalator::common::SameText(path.substr(path.size() - 18), "\\backend_check.exe") &&
               path[1] == ':',
           "the executable path is the full path of this program", path);

    ::SetEnvironmentVariableW(L"INSTALATOR_POLISH", L"Za\u017c\u00f3\u0142\u0107");
    ::SetEnvironmentVariableW(L"INSTALATOR_LONG", std::wstring(1000, L'x').c_str());
    ::SetEnvironmentVariableW(L"INSTALATOR_EMPTY", L"");
    Report(system.EnvironmentVariable("INSTALATOR_POLISH") == instalator::common::Cp1250(u8"Zażółć"),
           "an environment variable reads as cp1250 text");
    Report(system.EnvironmentVariable("INSTALATOR_LONG") == std::string(1000, 'x'),
           "a value longer than a path buffer reads whole");
    Report(system.EnvironmentVariable("INSTALATOR_EMPTY") == std::string(), "an empty variable reads as empty");
    Report(!system.EnvironmentVariable("INSTALATOR_MISSING"), "a missing variable reads as nothing");

    const std::string windows = system.WindowsDirectory();
    Report(windows.size() > 3 && windows.back() != '\\' &&
               instalator::common::SameText(system.SystemDirectory().substr(0, windows.size()), windows),
           "the system directory lies in the Windows directory, neither ends with \\", windows);
    Report(system.FreeDiskSpace("C:\\").value_or(0) > 0 && !system.FreeDiskSpace("Q:\\"),
           "free space of C:\\ is known, of a missing drive not");

    const std::string before = system.CurrentDirectory();
    const bool moved =
        system.SetCurrentDirectory(windows) && instalator::common::SameText(system.CurrentDirectory(), windows);
    const bool refused = !system.SetCurrentDirectory(windows + "\\missing") &&
                         instalator::common::SameText(system.CurrentDirectory(), windows);
    system.SetCurrentDirectory(before);
    Report(moved && refused, "the current directory changes to an existing directory only");
    Report(InstallerFileVersion(system.SystemDirectory() + "\\kernel32.dll").major > 0 &&
               InstallerFileVersion(path) == instalator::package::FileVersion{},
           "a system library has a file version, this program none");
}

// The version the system's own functions find in a file: the fixed file info of
// the root block, all zeros when there is none.
instalator::package::FileVersion SystemFileVersion(const std::string& path) {
    const std::wstring wide = win32::Wide(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(wide.c_str(), &ignored);
    std::vector<std::uint8_t> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size == 0 || !::GetFileVersionInfoW(wide.c_str(), 0, size, block.data()) ||
        !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof *fixed)
        return {};
    return {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
            LOWORD(fixed->dwFileVersionLS)};
}

// Whether the file is a PE image: "MZ", and "PE\0\0" where the DOS header points.
// The system also reads versions out of 16-bit NE files, which the backend leaves
// out: they are not compared.
bool IsPeImage(const std::string& path) {
    FILE* file = _wfopen(win32::Wide(path).c_str(), L"rb");
    if (file == nullptr) return false;
    unsigned char dos[64] = {}, signature[4] = {};
    bool pe = std::fread(dos, 1, sizeof dos, file) == sizeof dos && dos[0] == 'M' && dos[1] == 'Z';
    if (pe) {
        const long at = dos[0x3C] | dos[0x3D] << 8 | dos[0x3E] << 16 | dos[0x3F] << 24;
        pe = std::fseek(file, at, SEEK_SET) == 0 && std::fread(signature, 1, 4, file) == 4 &&
             std::memcmp(signature, "PE\0\0", 4) == 0;
    }
    std::fclose(file);
    return pe;
}

// The backend's version reader against the system's version functions on every
// PE library and program of the system directory.
void VersionChecks() {
    win32::Win32System system;
    const std::string directory = system.SystemDirectory() + "\\";
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(win32::Wide(directory + "*").c_str(), &found);
    int compared = 0, versioned = 0;
    std::string differences;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = win32::Narrow(found.cFileName);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            const std::string path = directory + name;
            if (!IsPeImage(path)) continue;
            const auto backend = InstallerFileVersion(path);
            const auto expected = SystemFileVersion(path);
            ++compared;
            if (!(expected == instalator::package::FileVersion{})) ++versioned;
            if (!(backend == expected) && differences.size() < 400) differences += name + " ";
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    Report(compared > 100 && versioned > 100 && differences.empty(),
           "the backend's file version agrees with the system's version functions on every PE file of the "
           "system directory",
           std::to_string(compared) + " PE files, " + std::to_string(versioned) + " with a version; differ: " +
               differences);
}

// A program that writes a file while sharing it for reading and writing (as one
// writing its log does) leaves its version readable.
void HeldVersionCheck() {
    win32::Win32System system;
    const std::string library = system.SystemDirectory() + "\\kernel32.dll";
    wchar_t temp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring copy = std::wstring(temp) + L"instalator_held.dll";
    ::CopyFileW(win32::Wide(library).c_str(), copy.c_str(), FALSE);
    const HANDLE held = ::CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    const auto version = InstallerFileVersion(win32::Narrow(copy.c_str()));
    const auto expected = SystemFileVersion(library);
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    ::DeleteFileW(copy.c_str());
    Report(held != INVALID_HANDLE_VALUE && expected.major > 0 && version == expected,
           "a library held open for writing with read and write sharing still shows its version");
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc > 1) number = std::atoi(argv[1]);
    CanvasChecks();
    CompatibleCheck();
    PictureCheck();
    RegistryChecks();
    SystemChecks();
    VersionChecks();
    HeldVersionCheck();
    std::fflush(stdout);
    return failures;
}
