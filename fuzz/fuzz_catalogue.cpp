// Decodes fuzzer-made bytes as a package catalogue twice: as they come, and with
// their trailing CRC-32 made right, so that the records behind the checksum are
// reached too. Decoding must end in a catalogue or a FormatError, never a crash or
// a read outside the bytes; an accepted catalogue must encode back to the very same
// bytes, and every record's name must find a record of that name.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "common/text.hpp"
#include "package/catalogue.hpp"

namespace {

using namespace instalator;

void Check(std::span<const std::uint8_t> bytes) {
    std::optional<package::Catalogue> catalogue;
    try {
        catalogue = package::Catalogue::Decode(bytes);
    } catch (const package::FormatError&) {
        return;
    }
    const std::vector<std::uint8_t> again = catalogue->Encode();
    if (!std::equal(again.begin(), again.end(), bytes.begin(), bytes.end())) std::abort();
    for (const package::CatalogueRecord& record : catalogue->Records()) {
        const package::CatalogueRecord* found = catalogue->Find(record.name);
        if (found == nullptr || !common::SameText(found->name, record.name)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(std::span(data, size));
    if (size < 4) return 0;
    std::vector<std::uint8_t> sealed(data, data + size);
    const std::uint32_t crc = package::Crc32(0, sealed.data(), size - 4);
    for (std::size_t i = 0; i < 4; ++i) sealed[size - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    Check(sealed);
    return 0;
}
