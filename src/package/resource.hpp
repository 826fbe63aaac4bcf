#pragma once
// The package container: a 168-byte header, then for every packed file its LZH
// stream followed by its 124-byte directory entry; the entries form a chain that
// starts in the header. All numbers little-endian.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.hpp"
#include "package/lzh.hpp"
#include "package/version.hpp"

namespace instalator::platform {
class File;
class FileSystem;
}  // namespace instalator::platform

namespace instalator::package {

// A package that cannot be read as one; what() names the package, the offset or the
// entry, and what is wrong.
class FormatError : public common::Error {
public:
    using common::Error::Error;
};

inline constexpr std::size_t kHeaderSize = 168;
inline constexpr std::size_t kEntrySize = 124;
inline constexpr std::size_t kMaxEntries = 128;
inline constexpr std::size_t kMaxEntryName = 80;

// One directory record. A default record is the all-zero record.
struct TResourceEntry {
    std::string EntryName;  // at most 80 characters, cp1250
    std::int32_t UnpackedSize = 0;
    package::FileVersion FileVersion;
    std::int32_t DataOffset = 0;
    std::int32_t PackedSize = 0;
    std::int32_t NextEntry = 0;

    std::array<std::uint8_t, kEntrySize> Encode() const;
    static TResourceEntry Decode(std::span<const std::uint8_t, kEntrySize> bytes);
    bool operator==(const TResourceEntry&) const = default;
};

}  // namespace instalator::package
