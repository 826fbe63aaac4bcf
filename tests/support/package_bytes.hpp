#pragma once
// Package files written byte by byte, without the package writer, to check it and
// to make damaged packages for the reader.

#include <cstdint>
#include <string>
#include <vector>

namespace instalator::testing {

using Bytes = std::vector<std::uint8_t>;

// The LZH stream of the three letters "abc".
Bytes AbcStream();

struct SampleEntry {
    std::string name;
    Bytes stream = AbcStream();
    std::int32_t unpackedSize = 3;
};

// A well-formed package: the 168-byte header, then each stream followed by its
// 124-byte entry, chained in the order given.
Bytes BuildPackage(const std::vector<SampleEntry>& entries);
// A package of count entries named e1, e2, ... holding "abc".
Bytes PackageOfAbcEntries(int count);

void Put32(Bytes& bytes, std::size_t at, std::int32_t value);
std::int32_t Get32(const Bytes& bytes, std::size_t at);
// The offset of each entry, following the chain from the header (well-formed
// packages only).
std::vector<std::size_t> EntryOffsets(const Bytes& package);

// Field offsets inside a 124-byte entry.
inline constexpr std::size_t kUnpackedSizeField = 84;
inline constexpr std::size_t kDataOffsetField = 108;
inline constexpr std::size_t kPackedSizeField = 112;
inline constexpr std::size_t kNextEntryField = 116;
inline constexpr std::size_t kFirstEntryField = 164;

}  // namespace instalator::testing
