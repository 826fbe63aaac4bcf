#include "support/package_bytes.hpp"

#include <string_view>

namespace instalator::testing {
namespace {

void PutText(Bytes& bytes, std::size_t at, std::string_view text) {
    bytes[at] = static_cast<std::uint8_t>(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) bytes[at + 1 + i] = static_cast<std::uint8_t>(text[i]);
}

}  // namespace

Bytes AbcStream() { return {0x03, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xE0}; }

void Put32(Bytes& bytes, std::size_t at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t Get32(const Bytes& bytes, std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) bits |= std::uint32_t{bytes[at + i]} << (8 * i);
    return static_cast<std::int32_t>(bits);
}

Bytes BuildPackage(const std::vector<SampleEntry>& entries) {
    Bytes bytes(168, 0);
    PutText(bytes, 0, "Quill07 Setup Resource - archive format v1998");
    bytes[81] = 1;
    bytes[82] = 1;
    PutText(bytes, 83, "Quill07 Instalation...");
    std::size_t link = kFirstEntryField;
    for (const SampleEntry& sample : entries) {
        const std::size_t data = bytes.size();
        bytes.insert(bytes.end(), sample.stream.begin(), sample.stream.end());
        const std::size_t entry = bytes.size();
        bytes.resize(entry + 124, 0);
        PutText(bytes, entry, sample.name);
        Put32(bytes, entry + kUnpackedSizeField, sample.unpackedSize);
        Put32(bytes, entry + kDataOffsetField, static_cast<std::int32_t>(data));
        Put32(bytes, entry + kPackedSizeField, static_cast<std::int32_t>(sample.stream.size()));
        Put32(bytes, link, static_cast<std::int32_t>(entry));
        link = entry + kNextEntryField;
    }
    Put32(bytes, link, -1);
    return bytes;
}

Bytes PackageOfAbcEntries(int count) {
    std::vector<SampleEntry> entries;
    for (int i = 1; i <= count; ++i) entries.push_back({"e" + std::to_string(i)});
    return BuildPackage(entries);
}

std::vector<std::size_t> EntryOffsets(const Bytes& package) {
    std::vector<std::size_t> offsets;
    for (std::int32_t at = Get32(package, kFirstEntryField); at != -1; at = Get32(package, at + kNextEntryField)) {
        offsets.push_back(static_cast<std::size_t>(at));
    }
    return offsets;
}

}  // namespace instalator::testing
