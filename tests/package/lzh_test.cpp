#include "package/lzh.hpp"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <random>
#include <utility>

#include "common/errors.hpp"
#include "package/lzh_codec.hpp"
#include "package/lzh_streams.hpp"
#include "platform/file_system.hpp"
#include "support/lzh_reference.hpp"
#include "support/scratch_dir.hpp"

namespace instalator::package {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

Bytes Text(const std::string& text) { return {text.begin(), text.end()}; }

Bytes Repeat(const std::string& unit, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += unit;
    return Text(text);
}

// --- Inputs for the differential tests, all from fixed seeds ---------------------------

Bytes Random(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    return bytes;
}

Bytes Words(std::size_t size, std::uint32_t seed) {
    static const char* const kWords[] = {"the ", "setup ", "copies ", "files ", "into ", "a ", "directory ",
                                         "and ", "records ", "them\n", "Quill07 ", "Instalator, ", "zapis "};
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < size) text += kWords[rng() % std::size(kWords)];
    text.resize(size);
    return Text(text);
}

Bytes Runs(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes bytes;
    while (bytes.size() < size) bytes.insert(bytes.end(), 1 + rng() % 200, static_cast<std::uint8_t>(rng() % 4));
    bytes.resize(size);
    return bytes;
}

// Records of a binary format: a counter, a few constant fields and some noise.
Bytes Records(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes bytes;
    for (std::uint32_t n = 0; bytes.size() < size; ++n) {
        const std::uint8_t record[] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), 0, 0, 0x4D, 0x5A,
                                       static_cast<std::uint8_t>(rng() % 8), 0x90, 0xFF, 0xFF};
        bytes.insert(bytes.end(), std::begin(record), std::end(record));
    }
    bytes.resize(size);
    return bytes;
}

// --- Reading a stream back as items -----------------------------------------------------

struct Item {
    int length;    // 1 for a literal
    int position;  // literal byte, or distance - 1
    bool operator==(const Item&) const = default;
};

using lzh::SpanSource;

std::vector<Item> Items(const Bytes& stream, std::size_t count) {
    SpanSource source{std::span(stream).subspan(4)};
    lzh::BitReader<SpanSource> in(source);
    auto model = std::make_unique<lzh::HuffmanModel>();
    std::vector<Item> items;
    in.Window();  // the model reads its table index from the bits already at hand
    while (items.size() < count) {
        const int symbol = model->Decode(in);
        items.push_back(symbol < 256 ? Item{1, symbol} : Item{symbol - 253, lzh::DecodePosition(in)});
    }
    return items;
}

Item Literal(char c) { return {1, static_cast<std::uint8_t>(c)}; }

// --- Codec --------------------------------------------------------------------------------

TEST(Lzh, KnownStreams) {
    const std::pair<Bytes, Bytes> cases[] = {
        {Text("abc"), {0x03, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xE0}},
        {Repeat("abcdefgh", 16),
         {0x80, 0x00, 0x00, 0x00, 0xF6, 0xFB, 0xBD, 0xFF, 0x0F, 0x8F, 0xCB, 0xE7, 0xF4, 0xF6, 0x81, 0xEF, 0x40, 0xE0}},
    };
    for (const auto& [data, stream] : cases) {
        EXPECT_EQ(CompressBytes(data), stream);
        EXPECT_EQ(DecompressBytes(stream), data);
        EXPECT_EQ(testing::ReferenceCompressBytes(data), stream);
    }
}

TEST(Lzh, EmptyInputGivesALengthAndOneCode) {
    const Bytes stream = CompressBytes({});
    ASSERT_GE(stream.size(), 5u);
    EXPECT_LE(stream.size(), 6u);
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 4), Bytes(4, 0));
    EXPECT_TRUE(DecompressBytes(stream).empty());
}

// Which earlier occurrence the encoder refers to.
TEST(Lzh, MatchChoices) {
    struct Case {
        const char* name;
        Bytes data;
        std::vector<Item> expected;
    };
    const auto literals = [](const std::string& text) {
        std::vector<Item> items;
        for (const char c : text) items.push_back(Literal(c));
        return items;
    };
    // abc occurs 8 and 4 bytes back; the walk meets the farther one first.
    std::vector<Item> nearer = literals("abcX");
    nearer.insert(nearer.end(), {{3, 3}, Literal('Y'), {3, 3}});
    // abcd 9 back is met first, then abc 4 back: the longer one stays.
    std::vector<Item> longer = literals("abcdQ");
    longer.insert(longer.end(), {{3, 4}, Literal('x'), {4, 8}});
    const Case cases[] = {
        {"nearer of equal length", Text("abcXabcYabcZ"), nearer},
        {"longer beats nearer", Text("abcdQabcxabcdZ"), longer},
        // The 60 positions before the start are spaces too; equal strings replace each
        // other in the tree, leaving the oldest, 60 back.
        {"spaces match the initial ring", Bytes(61, ' '), {{60, 59}}},
        {"a run continues itself", Text("xxxxxxxxxx"), {Literal('x'), {9, 0}}},
    };
    for (const auto& c : cases) {
        const Bytes stream = CompressBytes(c.data);
        EXPECT_EQ(Items(stream, c.expected.size()), c.expected) << c.name;
        EXPECT_EQ(DecompressBytes(stream), c.data) << c.name;
    }
}

TEST(Lzh, LongRunBecomesFullLengthMatches) {
    const Bytes data(100000, 0x5A);
    const Bytes stream = CompressBytes(data);
    const auto items = Items(stream, 20);
    EXPECT_EQ(items[0], (Item{1, 0x5A}));
    for (std::size_t i = 1; i < items.size(); ++i) EXPECT_EQ(items[i].length, 60);
    EXPECT_LT(stream.size(), 100000u / 60 * 2);
    EXPECT_EQ(DecompressBytes(stream), data);
}

// The fast codec against the straightforward one, byte for byte, over sizes around the
// look-ahead and block boundaries and several kinds of data.
TEST(Lzh, SameBytesAsTheReferenceCodec) {
    using Maker = Bytes (*)(std::size_t, std::uint32_t);
    const std::pair<const char*, Maker> kinds[] = {
        {"random", Random}, {"words", Words}, {"runs", Runs}, {"records", Records}};
    const std::size_t sizes[] = {0, 1, 2, 3, 59, 60, 61, 4095, 4096, 4097, 100000};
    std::uint32_t seed = 1;
    for (const auto& [kind, make] : kinds) {
        for (const std::size_t size : sizes) {
            const Bytes data = make(size, seed++);
            const Bytes stream = CompressBytes(data);
            ASSERT_EQ(stream, testing::ReferenceCompressBytes(data)) << kind << " " << size;
            ASSERT_EQ(DecompressBytes(stream), data) << kind << " " << size;
            ASSERT_EQ(testing::ReferenceDecompressBytes(stream), data) << kind << " " << size;
        }
    }
}

// Every ordered pair of the bytes 0 .. symbols - 1 once (a de Bruijn sequence): no three
// bytes repeat, so the stream is all literals and each byte is counted `symbols` times.
Bytes AllPairsOnce(int symbols) {
    Bytes bytes;
    std::array<int, 3> word{};
    const std::function<void(int, int)> extend = [&](int t, int period) {
        if (t > 2) {
            if (2 % period == 0) bytes.insert(bytes.end(), word.begin() + 1, word.begin() + 1 + period);
            return;
        }
        word[t] = word[t - period];
        extend(t + 1, period);
        for (int j = word[t - period] + 1; j < symbols; ++j) {
            word[t] = j;
            extend(t + 1, t);
        }
    };
    extend(1, 1);
    return bytes;
}

// Literals counted in turn build long runs of equal frequency among the code-tree nodes,
// so a counted node moves past every run length the model's search handles, around its
// 16-node scan included; the trees must evolve exactly as the reference's do.
TEST(Lzh, EqualFrequencyRunsMoveLikeTheReference) {
    for (const int symbols : {3, 15, 16, 17, 18, 33, 64}) {
        const Bytes data = AllPairsOnce(symbols);
        ASSERT_EQ(data.size(), static_cast<std::size_t>(symbols * symbols));
        const Bytes stream = CompressBytes(data);
        ASSERT_EQ(stream, testing::ReferenceCompressBytes(data)) << symbols;
        ASSERT_EQ(DecompressBytes(stream), data) << symbols;
    }
}

// Arbitrary bytes as a stream: the fast decoder stops where the bits run out, the
// reference reads zeros on, so the fast output is a prefix of the reference's.
TEST(Lzh, DamagedStreamsDecodeLikeTheReference) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        Bytes stream = round % 2 == 0 ? Random(5 + rng() % 300, rng()) : CompressBytes(Words(2000, rng()));
        if (round % 2 == 1) stream.resize(5 + rng() % (stream.size() - 5));  // cut
        if (round % 4 == 1) stream[4 + rng() % (stream.size() - 4)] ^= 0x10;  // and damaged
        const std::size_t limit = 20000;
        const Bytes fast = DecompressBytes(stream, limit);
        const Bytes reference = testing::ReferenceDecompressBytes(stream, limit);
        ASSERT_LE(fast.size(), reference.size()) << round;
        ASSERT_TRUE(std::equal(fast.begin(), fast.end(), reference.begin())) << round;
    }
}

TEST(Lzh, HostileStreamsCostLittle) {
    const Bytes claimsTwoGigabytes = {0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_TRUE(DecompressBytes(claimsTwoGigabytes).empty());
    const Bytes negative = {0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34};
    EXPECT_TRUE(DecompressBytes(negative).empty());
    const Bytes zeros(1000, 0);  // Length 0, then nothing is read
    EXPECT_TRUE(DecompressBytes(zeros).empty());
    Bytes bits = {0xFF, 0xFF, 0xFF, 0x7F};
    bits.resize(1004, 0x00);  // zero bits decode to something; the output is still bounded
    EXPECT_LE(DecompressBytes(bits).size(), 1000u * 8 * 60);
    EXPECT_EQ(DecompressBytes(bits, 100).size(), 100u);
    EXPECT_THROW(DecompressBytes(Bytes{1, 0, 0}), common::Error);
}

// A code longer than 16 bits: after a Fibonacci-like symbol profile the rare symbols
// sit deep in the tree; their codes must be sent whole and read back.
TEST(Lzh, CodesLongerThanSixteenBitsSurvive) {
    std::vector<int> symbols;
    const int counts[] = {330, 330, 660, 990, 1650, 2640, 4290, 6930, 11220};
    for (int s = 0; s < 9; ++s) symbols.insert(symbols.end(), counts[s], s);
    for (int s = 9; s < lzh::kSymbols; ++s) symbols.push_back(s);

    struct Collect {
        Bytes bytes;
        void Put(std::uint8_t b) { bytes.push_back(b); }
    } out;
    auto encoder = std::make_unique<lzh::HuffmanModel>();
    lzh::BitWriter<Collect> writer(out);
    int longest = 0;
    for (const int s : symbols) {
        const lzh::SymbolCode code = encoder->Code(s);
        writer.Put(code.bits, code.length);
        longest = std::max(longest, code.length);
    }
    writer.Finish();
    ASSERT_GT(longest, 16);

    SpanSource source(out.bytes);
    lzh::BitReader<SpanSource> reader(source);
    auto decoder = std::make_unique<lzh::HuffmanModel>();
    reader.Window();
    for (std::size_t i = 0; i < symbols.size(); ++i) ASSERT_EQ(decoder->Decode(reader), symbols[i]) << i;
    EXPECT_FALSE(reader.Overrun());
}

// --- File operations ----------------------------------------------------------------------

// A file system whose created files store only the first `quota` bytes written to them.
class QuotaFileSystem final : public platform::FileSystem {
public:
    explicit QuotaFileSystem(std::size_t quota) : quota_(quota) {}

    std::unique_ptr<platform::File> Open(const std::string& path, platform::OpenMode mode) override {
        auto file = host_.Open(path, mode);
        if (mode != platform::OpenMode::Create) return file;
        return std::make_unique<QuotaFile>(std::move(file), quota_);
    }
    bool FileExists(const std::string& path) override { return host_.FileExists(path); }
    bool DirectoryExists(const std::string& path) override { return host_.DirectoryExists(path); }
    void RemoveFile(const std::string& path) override { host_.RemoveFile(path); }
    void RenameFile(const std::string& from, const std::string& to) override { host_.RenameFile(from, to); }
    void CreateDirectory(const std::string& path) override { host_.CreateDirectory(path); }
    void RemoveDirectory(const std::string& path) override { host_.RemoveDirectory(path); }
    std::vector<platform::DirectoryEntry> ListDirectory(const std::string& path) override {
        return host_.ListDirectory(path);
    }
    char Separator() const override { return host_.Separator(); }

private:
    class QuotaFile final : public platform::File {
    public:
        QuotaFile(std::unique_ptr<platform::File> inner, std::size_t quota) : inner_(std::move(inner)), left_(quota) {}
        std::size_t Read(void* buffer, std::size_t size) override { return inner_->Read(buffer, size); }
        std::size_t Write(const void* data, std::size_t size) override {
            const std::size_t stored = std::min(size, left_);
            left_ -= stored;
            return stored == 0 ? 0 : inner_->Write(data, stored);
        }
        void Seek(std::int64_t offset) override { inner_->Seek(offset); }
        std::int64_t Position() override { return inner_->Position(); }
        std::int64_t Size() override { return inner_->Size(); }
        void Truncate(std::int64_t size) override { inner_->Truncate(size); }
        void Close() override { inner_->Close(); }

    private:
        std::unique_ptr<platform::File> inner_;
        std::size_t left_;
    };

    platform::FileSystem& host_ = platform::HostFileSystem();
    std::size_t quota_;
};

struct Unpacked {
    DecodeResult result;
    std::vector<std::int32_t> progress;
};

Unpacked Unpack(platform::FileSystem& fs, const std::string& source, const std::string& dest) {
    Unpacked unpacked;
    unpacked.result = DecompressFile(fs, source, dest, [&](std::int32_t n) { unpacked.progress.push_back(n); });
    return unpacked;
}

TEST(LzhFile, ProgressAfterEveryBlockAndTheFlush) {
    ScratchDir dir;
    auto& fs = platform::HostFileSystem();
    const std::pair<std::size_t, std::vector<std::int32_t>> cases[] = {
        {0, {0}}, {4096, {4096}}, {4097, {4096, 4097}}, {8192, {4096, 8192}}, {8193, {4096, 8192, 8193}}};
    for (const auto& [size, expected] : cases) {
        const Bytes data = Words(size, static_cast<std::uint32_t>(size));
        WriteBytes(dir / "in", data);
        std::vector<std::int32_t> packing;
        CompressFile(fs, dir / "in", dir / "in.lzh", [&](std::int32_t n) { packing.push_back(n); });
        const Bytes stream = ReadBytes(dir / "in.lzh");
        EXPECT_EQ(stream, CompressBytes(data)) << size;
        EXPECT_EQ(packing, std::vector<std::int32_t>{static_cast<std::int32_t>(stream.size())}) << size;

        const Unpacked unpacked = Unpack(fs, dir / "in.lzh", dir / "out");
        EXPECT_EQ(unpacked.progress, expected) << size;
        EXPECT_EQ(unpacked.result.bytesWritten, static_cast<std::int64_t>(size));
        EXPECT_FALSE(unpacked.result.writeFailed || unpacked.result.inputExhausted) << size;
        EXPECT_EQ(ReadBytes(dir / "out"), data) << size;
    }
}

// A stream longer than a block is written block by block, the length field counted.
TEST(LzhFile, PackingMatchesTheReferenceBlockForBlock) {
    ScratchDir dir;
    auto& fs = platform::HostFileSystem();
    WriteBytes(dir / "in", Random(10000, 3));
    std::vector<std::int32_t> fast;
    std::vector<std::int32_t> reference;
    CompressFile(fs, dir / "in", dir / "fast.lzh", [&](std::int32_t n) { fast.push_back(n); });
    testing::ReferenceCompressFile(fs, dir / "in", dir / "reference.lzh",
                                   [&](std::int32_t n) { reference.push_back(n); });
    EXPECT_EQ(ReadBytes(dir / "fast.lzh"), ReadBytes(dir / "reference.lzh"));
    EXPECT_EQ(fast, reference);
    ASSERT_EQ(fast.size(), 3u);
    EXPECT_EQ(fast[0], 4096 + 4);
}

TEST(LzhFile, FailedAndShortWritesAreReportedWhileDecodingGoesOn) {
    ScratchDir dir;
    const Bytes data = Random(10000, 5);
    WriteBytes(dir / "in.lzh", CompressBytes(data));
    auto& host = platform::HostFileSystem();

    const Unpacked full = Unpack(host, dir / "in.lzh", "/dev/full");
    EXPECT_TRUE(full.result.writeFailed);
    EXPECT_EQ(full.result.bytesWritten, 10000);
    EXPECT_EQ(full.progress.size(), 3u);

    for (const std::size_t quota : {std::size_t{5000}, std::size_t{9999}}) {  // short in a block, short at the flush
        QuotaFileSystem fs(quota);
        const Unpacked shortened = Unpack(fs, dir / "in.lzh", dir / "out");
        EXPECT_TRUE(shortened.result.writeFailed) << quota;
        EXPECT_EQ(shortened.result.bytesWritten, 10000) << quota;
        EXPECT_EQ(shortened.progress.back(), static_cast<std::int32_t>(quota)) << quota;
    }
    QuotaFileSystem roomy(10000);
    EXPECT_FALSE(Unpack(roomy, dir / "in.lzh", dir / "out").result.writeFailed);
}

TEST(LzhFile, PackingFailuresThrow) {
    ScratchDir dir;
    auto& host = platform::HostFileSystem();
    WriteBytes(dir / "in", Random(10000, 9));
    const auto codeOf = [](const auto& pack) {
        try {
            pack();
        } catch (const common::IoError& e) {
            return e.code();
        }
        return 0;
    };
    EXPECT_EQ(codeOf([&] { CompressFile(host, dir / "missing", dir / "out"); }), common::kFileNotFound);
    EXPECT_EQ(codeOf([&] { CompressFile(host, dir / "in", "/dev/full"); }), common::kDiskWriteError);
    for (const std::size_t quota : {std::size_t{2}, std::size_t{5000}, std::size_t{10000}}) {
        QuotaFileSystem fs(quota);  // the length field, a block, the flush
        EXPECT_EQ(codeOf([&] { CompressFile(fs, dir / "in", dir / "out"); }), common::kDiskWriteError) << quota;
    }
    WriteBytes(dir / "huge", {});
    std::filesystem::resize_file(dir / "huge", std::uint64_t{1} << 31);  // sparse
    EXPECT_EQ(codeOf([&] { CompressFile(host, dir / "huge", dir / "out"); }), 223);
}

TEST(LzhFile, UnpackingFailuresThrow) {
    ScratchDir dir;
    auto& host = platform::HostFileSystem();
    WriteBytes(dir / "good.lzh", CompressBytes(Text("abc")));
    WriteBytes(dir / "short.lzh", {0x03, 0x00, 0x00});
    WriteBytes(dir / "empty.lzh", {});
    const auto codeOf = [&](const std::string& source, const std::string& dest) {
        try {
            DecompressFile(host, source, dest);
        } catch (const common::IoError& e) {
            return e.code();
        }
        return 0;
    };
    EXPECT_EQ(codeOf(dir / "missing.lzh", dir / "out"), common::kFileNotFound);
    EXPECT_EQ(codeOf(dir / "short.lzh", dir / "out"), common::kDiskReadError);
    EXPECT_EQ(codeOf(dir / "empty.lzh", dir / "out"), common::kDiskReadError);
    EXPECT_EQ(codeOf(dir / "good.lzh", dir / "no/out"), common::kFileNotFound);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out"));
    EXPECT_EQ(codeOf(dir / "good.lzh", dir / "out"), 0);
}

// Decoding stops where the code bits run out: the file holds what they gave, no
// invented bytes to make up Length.
TEST(LzhFile, TruncatedStreamStopsWhereTheBitsRunOut) {
    ScratchDir dir;
    const Bytes data = Words(20000, 11);
    Bytes stream = CompressBytes(data);
    stream.resize(stream.size() / 2);
    WriteBytes(dir / "cut.lzh", stream);
    const Unpacked unpacked = Unpack(platform::HostFileSystem(), dir / "cut.lzh", dir / "out");
    EXPECT_TRUE(unpacked.result.inputExhausted);
    EXPECT_GT(unpacked.result.bytesWritten, 5000);
    EXPECT_LT(unpacked.result.bytesWritten, 20000);
    const Bytes out = ReadBytes(dir / "out");
    EXPECT_EQ(static_cast<std::int64_t>(out.size()), unpacked.result.bytesWritten);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin()));
}

TEST(LzhFile, DecodeStreamStopsWhereTheCodeBytesEnd) {
    ScratchDir dir;
    auto& host = platform::HostFileSystem();
    const Bytes data = Words(10000, 13);
    const Bytes stream = CompressBytes(data);
    WriteBytes(dir / "in.lzh", stream);
    const auto decode = [&](std::int64_t codeBytes, std::int32_t length) {
        const auto in = host.Open(dir / "in.lzh", platform::OpenMode::Read);
        in->Seek(4);
        Bytes out;
        const DecodeResult result = DecodeStream(*in, codeBytes, length, [&](const std::uint8_t* p, std::size_t n) {
            EXPECT_LE(n, 4096u);
            out.insert(out.end(), p, p + n);
        });
        EXPECT_EQ(result.bytesWritten, static_cast<std::int64_t>(out.size()));
        return std::pair(result, out);
    };
    const std::int64_t codeBytes = static_cast<std::int64_t>(stream.size()) - 4;

    const auto [whole, all] = decode(codeBytes, 10000);
    EXPECT_FALSE(whole.inputExhausted);
    EXPECT_EQ(all, data);

    const auto [cut, part] = decode(codeBytes / 2, 10000);
    EXPECT_TRUE(cut.inputExhausted);
    EXPECT_GT(part.size(), 1000u);
    EXPECT_LT(part.size(), data.size());
    EXPECT_TRUE(std::equal(part.begin(), part.end(), data.begin()));

    const auto [greedy, nothing] = decode(0, INT32_MAX);  // a length the bits cannot back
    EXPECT_TRUE(greedy.inputExhausted);
    EXPECT_TRUE(nothing.empty());
    EXPECT_EQ(decode(codeBytes, -5).first.bytesWritten, 0);
}

}  // namespace
}  // namespace instalator::package
