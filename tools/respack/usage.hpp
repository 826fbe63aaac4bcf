#pragma once
// The help texts of respack and its commands.

#include <string_view>

namespace instalator::respack {

inline constexpr std::string_view kVersionText = "respack 1.0.0\n";

inline constexpr std::string_view kToolHelp =
    "Usage: respack COMMAND [ARGUMENTS]\n"
    "Builds, lists, tests and unpacks the package files of the Quill07 installer\n"
    "(Setup1.res and its further volumes).\n"
    "\n"
    "Commands:\n"
    "  check SCRIPT                       check an installation script and its files\n"
    "  build SCRIPT [-o DIR] [--setup PATH]\n"
    "                                     write the whole distribution of a script\n"
    "  unpack DIST [-d DIR]               install a distribution into DIR as the\n"
    "                                     installer would, and list the rest\n"
    "  create PACKAGE                     write a new, empty package\n"
    "  add [--no-catalogue] PACKAGE FILE...\n"
    "                                     pack each FILE and append it to the package\n"
    "  list PACKAGE                       show the entries of the package\n"
    "  extract PACKAGE [-d DIR] [NAME...] unpack all entries, or the named ones\n"
    "  test PACKAGE                       decode every entry, compare it with the\n"
    "                                     catalogue, write nothing\n"
    "\n"
    "Options:\n"
    "  --help       show this text; \"respack COMMAND --help\" describes a command\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 success; 1 a damaged package, a missing entry, an error in the\n"
    "script or a failed file operation; 2 a usage error. Messages go to stderr, one\n"
    "line each.\n";

inline constexpr std::string_view kCreateHelp =
    "Usage: respack create PACKAGE\n"
    "Writes a new package without entries (168 bytes). A file already at PACKAGE is\n"
    "replaced.\n";

inline constexpr std::string_view kAddHelp =
    "Usage: respack add [--no-catalogue] [-j N] [-q] PACKAGE FILE...\n"
    "Packs each FILE, in the order given, and appends it to the existing PACKAGE under\n"
    "its file name without the directory, cut to 80 characters, with the file version\n"
    "of its version resource (0.0.0.0 when it has none). A name that is already in the\n"
    "package is added again with a warning; the installer finds the older entry.\n"
    "A package holds at most 128 entries and 2147483647 bytes; a file that would go\n"
    "beyond either is refused and the package stays as it was.\n"
    "\n"
    "After the files, the integrity catalogue is written as the last entry, \":catalogue\":\n"
    "the CRC-32 and sizes of every other entry, so that damage in transfer is found.\n"
    "The catalogue that the package ended with is replaced, never kept beside the new\n"
    "one. The catalogue takes one of the 128 entries; when the files fill all of them,\n"
    "the package is written without one and a warning says so. When a FILE fails, the\n"
    "files before it stay in the package and the catalogue covers them.\n"
    "\n"
    "  --no-catalogue   write no catalogue (the format before catalogues); one that\n"
    "                   the package ended with is removed\n"
    "  -j, --jobs N     pack on N threads (default: one per core); the package's\n"
    "                   bytes are the same for any N\n"
    "  -q, --quiet      no progress line\n";

inline constexpr std::string_view kListHelp =
    "Usage: respack list PACKAGE\n"
    "Shows one line per entry, in the order of the entry chain: name, unpacked size,\n"
    "packed size (the whole stream), packed size as a percentage of the unpacked size\n"
    "(\"-\" for an empty file), file version and the offset of the packed data.\n"
    "The integrity catalogue, when there is one, is the last line, named \":catalogue\".\n"
    "The entries before the first damage are shown for a damaged package.\n";

inline constexpr std::string_view kExtractHelp =
    "Usage: respack extract PACKAGE [-d DIR] [NAME...]\n"
    "Unpacks every entry but the integrity catalogue, which is no file, or each NAME\n"
    "(letter case ignored), into DIR, by default the current directory, which is\n"
    "created when missing. Files of the same name in DIR are replaced (a link of that\n"
    "name is replaced, never followed). Entry names that are not plain file names\n"
    "(path separators, drives, \"..\", control characters, Windows device names) are\n"
    "refused and nothing is written for them.\n"
    "Of several entries with the same name only the first is unpacked, as the\n"
    "installer would. A missing or refused entry is reported, the others are still\n"
    "unpacked, and the exit status is 1.\n";

inline constexpr std::string_view kTestHelp =
    "Usage: respack test PACKAGE\n"
    "Checks the header and the entry chain, then decodes every entry without writing\n"
    "it: the stream's length field must equal the entry's unpacked size and the code\n"
    "bits must last for all of it. When the package has an integrity catalogue, each\n"
    "entry's packed bytes must have the CRC-32 and the sizes it records, and every\n"
    "entry must have its record and every record its entry. Each damage found is\n"
    "reported on a line of its own.\n";

inline constexpr std::string_view kCheckHelp =
    "Usage: respack check [-q] SCRIPT\n"
    "Reads the installation script SCRIPT (Setup.lst, code page 1250) as the\n"
    "installer reads it and finds every file it names in the script's folder, letter\n"
    "case ignored. Each problem is reported as SCRIPT:LINE: error: or warning:.\n"
    "Errors: a missing file; an item, volume or key outside its Count; a volume\n"
    "without its section or a section of files that no volume names; a Dest that is\n"
    "neither $PROGRAM, $SYSTEM, $WIN nor a folder inside the target directory; more\n"
    "than 30 shortcuts; Shell or Uninstall not installed into the target directory;\n"
    "a start-up or [Splash] picture that is missing or no BMP the installer shows;\n"
    "two items installed to one file; a volume of more than 128 files.\n"
    "Warnings: PrgSpace or WinSpace below what the items install (with the right\n"
    "figures), and text the installer reads otherwise than it looks: a section or\n"
    "key given twice (the first counts), hexadecimal numbers, numbers that are no\n"
    "numbers, unknown keys, lines that are neither sections nor keys.\n"
    "Exit status 1 when there is an error.\n"
    "\n"
    "  -q, --quiet   no closing summary line\n";

inline constexpr std::string_view kBuildHelp =
    "Usage: respack build [-o DIR] [--setup PATH] [--fill-space] [--volume-size N]\n"
    "                     [-j N] [-q] SCRIPT\n"
    "Checks SCRIPT as \"respack check\" does and, when it has no errors, writes the\n"
    "whole distribution into DIR (default: \"dist\"), which is created when missing:\n"
    "Setup1.res holding the script as Setup.lst, Splash1.bmp, setup2.bmp and every\n"
    "[Splash] picture, then each volume of [Resources] holding its items in the\n"
    "script's order, every volume ending with its integrity catalogue. The same\n"
    "inputs give the same bytes.\n"
    "\n"
    "  -o DIR              where the distribution goes\n"
    "  --setup PATH        copy the installer PATH beside the volumes as Setup.exe\n"
    "  --fill-space        write the right PrgSpace and WinSpace into the packed\n"
    "                      copy of the script\n"
    "  --volume-size N     volumes of at most N bytes (K and M allowed, or\n"
    "                      \"diskette\" for 1457664): the items are spread over\n"
    "                      Setup1.res, Setup2.res, ... in the script's order, and the\n"
    "                      packed script's [Resources], volume sections and [Splash]\n"
    "                      keys are written to match\n"
    "  -j, --jobs N        pack on N threads (default: one per core)\n"
    "  -q, --quiet         no progress line and no list of the volumes written\n";

inline constexpr std::string_view kUnpackHelp =
    "Usage: respack unpack [-q] DIST [-d DIR]\n"
    "Installs the distribution in the folder DIST (Setup1.res and its further\n"
    "volumes) into DIR, by default the current directory, as the installer would on\n"
    "Windows: the items for the target directory go to DIR/app/ (a Dest folder in\n"
    "upper case below it, as the installer forms it), $SYSTEM items to DIR/system/,\n"
    "$WIN items to DIR/windows/. A file already there is replaced only under the\n"
    "installer's rules (Item<b>Rewrite, newer file version). Every entry is checked\n"
    "against its volume's catalogue. Names that are not plain file names are refused:\n"
    "nothing is written outside DIR.\n"
    "On stdout: each file, and the shortcuts, registrations and uninstall entry the\n"
    "installer would make, with the paths it would use (%SYSTEM% and %WINDIR% for\n"
    "the system's folders). A missing volume or entry is reported, the rest still\n"
    "installed, and the exit status is 1.\n"
    "\n"
    "  -q, --quiet   no listing\n";

}  // namespace instalator::respack
