#include "package/catalogue.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "common/text.hpp"
#include "package/lzh.hpp"
#include "platform/headless/file_system.hpp"
#include "support/package_bytes.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::package {
namespace {

using testing::Bytes;
using testing::Put32;

// The 128 bytes "abcdefgh" x 16 and their 18-byte stream.
const Bytes kEightLetterStream = {0x80, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xFF, 0x0F,
                                  0x8F, 0xCB, 0xE7, 0xF4, 0xF6, 0x81, 0xEF, 0x40, 0xE0};

std::string Reason(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const FormatError& error) {
        return error.what();
    }
    return "no error";
}

// The trailing CRC-32 made right again after a change inside the catalogue.
void Reseal(Bytes& bytes) {
    const std::uint32_t crc = Crc32(0, bytes.data(), bytes.size() - 4);
    Put32(bytes, bytes.size() - 4, static_cast<std::int32_t>(crc));
}

TEST(Catalogue, StoredLayoutRoundTripAndLookup) {
    EXPECT_EQ(Crc32(Crc32(0, "1234", 4), "56789", 5), 0xCBF43926u);  // zlib's check value, in two parts

    const Bytes one = Catalogue({{"a.txt", 0xAABBCCDD, 3, 8}}).Encode();
    Bytes expected = {'Q', 'C', 'A', 'T', 1, 0, 1, 0, 5, 'a', '.', 't', 'x', 't', 0xDD, 0xCC, 0xBB, 0xAA,
                      3,   0,   0,   0,   8, 0, 0, 0, 0, 0,   0,   0};
    Reseal(expected);
    EXPECT_EQ(one, expected);

    const Catalogue catalogue({{"Setup.lst", 1, 40, 30},
                               {common::Cp1250(u8"ŻÓŁW.TXT"), 0xFFFFFFFF, 0x7FFFFFFF, 4},
                               {"SETUP.LST", 2, 0, 5},
                               {"", 0, 0, 0},
                               {std::string(80, 'x'), 3, 1, 6}});
    EXPECT_EQ(Catalogue::Decode(catalogue.Encode()).Records(), catalogue.Records());
    EXPECT_EQ(catalogue.Find("setup.LST"), &catalogue.Records()[0]);
    EXPECT_EQ(catalogue.Find(common::Cp1250(u8"żółw.txt")), &catalogue.Records()[1]);
    EXPECT_EQ(catalogue.Find("Setup"), nullptr);
    EXPECT_EQ(Reason([] { Catalogue({{std::string(81, 'x')}}).Encode(); }),
              "catalogue record \"" + std::string(81, 'x') + "\": name longer than 80 characters");
}

TEST(Catalogue, DamageIsRefusedWithItsReason) {
    // Two records, "a.txt" from byte 8 and "bb" from byte 26; 45 bytes in all.
    const Bytes good = Catalogue({{"a.txt", 1, 3, 8}, {"bb", 2, 0, 4}}).Encode();
    ASSERT_EQ(good.size(), 45u);
    const struct {
        const char* what;
        std::function<void(Bytes&)> damage;
        bool reseal;
        std::string reason;
    } cases[] = {
        {"too short", [](Bytes& b) { b.resize(11); }, false, "catalogue: 11 bytes, fewer than the 12 of an empty one"},
        {"foreign magic", [](Bytes& b) { b[0] = 'X'; }, true, "catalogue: it does not start with the magic \"QCAT\""},
        {"flipped bit", [](Bytes& b) { b[30] ^= 0x04; }, false, "catalogue: its bytes have the CRC-32 "},
        {"later version", [](Bytes& b) { b[4] = 2; }, true, "catalogue: format version 2 is not known"},
        {"129 records", [](Bytes& b) { b[6] = 129; }, true, "catalogue: 129 records, more than 128"},
        {"a record too many", [](Bytes& b) { b[6] = 3; }, true,
         "catalogue: record 3 is missing: the catalogue ends first"},
        {"a record too few", [](Bytes& b) { b[6] = 1; }, true, "catalogue: 15 bytes after its last record"},
        {"long name", [](Bytes& b) { b[8] = 81; }, true, "catalogue: record 1: name length 81 is above 80 characters"},
        {"name beyond the end", [](Bytes& b) { b[26] = 5; }, true, "catalogue: record 2 is cut short"},
        {"negative unpacked size", [](Bytes& b) { Put32(b, 18, -1); }, true,
         "catalogue: record 1 \"a.txt\": negative unpacked size -1"},
        {"negative packed size", [](Bytes& b) { Put32(b, 37, -8); }, true,
         "catalogue: record 2 \"bb\": negative packed size -8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        if (c.reseal) Reseal(bytes);
        const std::string reason = Reason([&] { Catalogue::Decode(bytes); });
        EXPECT_EQ(reason.substr(0, c.reason.size()), c.reason) << reason;
    }
}

// Packages on the machine in a folder, as the installer sees its volumes.
class CatalogueVolumeTest : public ::testing::Test {
protected:
    CatalogueVolumeTest() {
        std::filesystem::create_directories(dir.path() / "c" / "TEMP");
        fs.MapDrive('C', dir.path() / "c");
    }

    Bytes Stored() const { return testing::ReadBytes(dir / "c/Setup1.res"); }

    TResourceClass& Open(const Bytes& package) {
        testing::WriteBytes(dir / "c/Setup1.res", package);
        EXPECT_TRUE(volume.OpenPackage("C:\\Setup1.res"));
        return volume;
    }

    static testing::SampleEntry CatalogueEntry(const Catalogue& catalogue, std::string name = ":catalogue") {
        const Bytes bytes = catalogue.Encode();
        return {std::move(name), CompressBytes(bytes), static_cast<std::int32_t>(bytes.size())};
    }

    testing::ScratchDir dir;
    platform::HeadlessFileSystem fs;
    TResourceClass volume{fs, "C:\\TEMP\\"};
};

TEST_F(CatalogueVolumeTest, AppendedReadBackAndCutOffCleanly) {
    const Bytes plain = testing::BuildPackage({{"Setup.lst"}, {"a.txt", kEightLetterStream, 128}});
    Open(plain);
    EXPECT_EQ(ReadCatalogue(fs, volume), std::nullopt);
    EXPECT_FALSE(RemoveCatalogue(fs, volume));

    AppendCatalogue(fs, volume);
    ASSERT_EQ(volume.EntryCount(), 3);
    EXPECT_EQ(volume.Entries().back().EntryName, ":catalogue");
    const auto abc = testing::AbcStream();
    const auto eight = kEightLetterStream;
    const std::vector<CatalogueRecord> expected = {{"Setup.lst", Crc32(0, abc.data(), abc.size()), 3, 8},
                                                   {"a.txt", Crc32(0, eight.data(), eight.size()), 128, 18}};
    const auto catalogue = ReadCatalogue(fs, volume);
    ASSERT_TRUE(catalogue.has_value());
    EXPECT_EQ(catalogue->Records(), expected);

    EXPECT_TRUE(RemoveCatalogue(fs, volume));
    EXPECT_EQ(Stored(), plain);
    EXPECT_EQ(volume.EntryCount(), 2);
    // A catalogue that is the only entry leaves the empty package.
    Open(testing::BuildPackage({}));
    AppendCatalogue(fs, volume);
    EXPECT_TRUE(RemoveCatalogue(fs, volume));
    EXPECT_EQ(Stored(), testing::BuildPackage({}));
}

TEST_F(CatalogueVolumeTest, TheLastCatalogueCountsAndOddOnesAreRefused) {
    const auto older = CatalogueEntry(Catalogue({{"old.txt"}}));
    const auto newer = CatalogueEntry(Catalogue({{"a.txt"}}), ":CATALOGUE");
    Open(testing::BuildPackage({older, {"a.txt"}, newer}));
    EXPECT_EQ(ReadCatalogue(fs, volume)->Records()[0].name, "a.txt");
    // An older catalogue inside the chain is not cut off.
    Open(testing::BuildPackage({{"a.txt"}, newer, {"b.txt"}}));
    EXPECT_FALSE(RemoveCatalogue(fs, volume));

    // A catalogue that claims more bytes than any catalogue has is not unpacked.
    Bytes huge = testing::BuildPackage({{"a.txt"}, newer});
    const std::size_t last = testing::EntryOffsets(huge).back();
    Put32(huge, last + testing::kUnpackedSizeField, 1 << 30);
    Put32(huge, testing::Get32(huge, last + testing::kDataOffsetField), 1 << 30);
    Open(huge);
    EXPECT_EQ(Reason([&] { ReadCatalogue(fs, volume); }),
              "catalogue: unpacked size 1073741824 is not that of a catalogue (at most 11916 bytes)");

    // A last catalogue whose data lies before another entry cannot be cut off.
    Bytes overlapping = testing::BuildPackage({{"a.txt"}, newer});
    Put32(overlapping, last + testing::kDataOffsetField, 168);
    Open(overlapping);
    EXPECT_EQ(Reason([&] { RemoveCatalogue(fs, volume); }),
              "the catalogue that ends the entry chain does not lie after everything else in the file, so it cannot "
              "be cut off");
    EXPECT_EQ(Stored(), overlapping);
}

}  // namespace
}  // namespace instalator::package
