#include "lzh_reference.hpp"

#include <array>
#include <memory>

#include "common/errors.hpp"
#include "platform/file_system.hpp"

namespace instalator::testing {
namespace {

constexpr int N = 4096;
constexpr int F = 60;
constexpr int THRESHOLD = 2;
constexpr int N_CHAR = 256 - THRESHOLD + F;
constexpr int T = N_CHAR * 2 - 1;
constexpr int R = T - 1;
constexpr unsigned MAX_FREQ = 0x8000;
constexpr int NIL = N;

// Prefix code of the upper 6 bits of a match position: lengths and codes (left-aligned).
constexpr std::uint8_t p_len[64] = {
    3, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 7, 7, 7, 7, 7, 7, 7, 7,
    7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8,
};
constexpr std::uint8_t p_code[64] = {
    0x00, 0x20, 0x30, 0x40, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x80, 0x88, 0x90, 0x94, 0x98, 0x9C,
    0xA0, 0xA4, 0xA8, 0xAC, 0xB0, 0xB4, 0xB8, 0xBC, 0xC0, 0xC2, 0xC4, 0xC6, 0xC8, 0xCA, 0xCC, 0xCE,
    0xD0, 0xD2, 0xD4, 0xD6, 0xD8, 0xDA, 0xDC, 0xDE, 0xE0, 0xE2, 0xE4, 0xE6, 0xE8, 0xEA, 0xEC, 0xEE,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};

class Codec {
public:
    Codec(const ReadInput& read, const WriteOutput& write);
    void Encode();
    void Decode(std::int32_t length);

private:
    bool ReadByte(int& c);
    void WriteByte(int c);
    void StartHuff();
    void Reconst();
    void Update(int c);
    void EncodeChar(unsigned c);
    void EncodePosition(unsigned c);
    int DecodeChar();
    int DecodePosition();
    void Putcode(int l, unsigned c);
    int GetBit();
    int GetByte();
    void FillGetBuf();
    void InitTree();
    void InsertNode(int r);
    void DeleteNode(int p);

    const ReadInput& read_;
    const WriteOutput& write_;
    std::vector<std::uint8_t> text_buf = std::vector<std::uint8_t>(N + F - 1, ' ');
    std::vector<std::uint16_t> lson = std::vector<std::uint16_t>(N + 1);
    std::vector<std::uint16_t> rson = std::vector<std::uint16_t>(N + 257);
    std::vector<std::uint16_t> dad = std::vector<std::uint16_t>(N + 1);
    std::vector<std::uint16_t> freq = std::vector<std::uint16_t>(T + 1);
    std::vector<std::uint16_t> prnt = std::vector<std::uint16_t>(T + N_CHAR);
    std::vector<std::uint16_t> son = std::vector<std::uint16_t>(T);
    std::array<std::uint8_t, 256> d_code{};
    std::array<std::uint8_t, 256> d_len{};
    std::uint16_t getbuf = 0;
    std::uint8_t getlen = 0;
    std::uint16_t putbuf = 0;
    std::uint8_t putlen = 0;
    std::uint16_t match_position = 0;
    std::uint16_t match_length = 0;
};

Codec::Codec(const ReadInput& read, const WriteOutput& write) : read_(read), write_(write) {
    for (int v = 0; v < 256; ++v) {
        for (int i = 0; i < 64; ++i) {
            if ((v >> (8 - p_len[i])) == (p_code[i] >> (8 - p_len[i]))) {
                d_code[v] = static_cast<std::uint8_t>(i);
                d_len[v] = p_len[i];
            }
        }
    }
}

bool Codec::ReadByte(int& c) {
    std::uint8_t b = 0;
    if (read_(&b, 1) == 0) return false;
    c = b;
    return true;
}

void Codec::WriteByte(int c) {
    const auto b = static_cast<std::uint8_t>(c);
    write_(&b, 1);
}

void Codec::StartHuff() {
    int i, j;
    for (i = 0; i < N_CHAR; i++) {
        freq[i] = 1;
        son[i] = static_cast<std::uint16_t>(i + T);
        prnt[i + T] = static_cast<std::uint16_t>(i);
    }
    i = 0;
    j = N_CHAR;
    while (j <= R) {
        freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
        son[j] = static_cast<std::uint16_t>(i);
        prnt[i] = prnt[i + 1] = static_cast<std::uint16_t>(j);
        i += 2;
        j++;
    }
    freq[T] = 0xFFFF;
    prnt[R] = 0;
}

void Codec::Reconst() {
    int i, j, k;
    unsigned f;
    j = 0;
    for (i = 0; i < T; i++) {
        if (son[i] >= T) {
            freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
            son[j] = son[i];
            j++;
        }
    }
    for (i = 0, j = N_CHAR; j < T; i += 2, j++) {
        f = freq[i] + freq[i + 1];
        for (k = j - 1; f < freq[k]; k--) {
        }
        k++;
        for (int m = j; m > k; m--) {
            freq[m] = freq[m - 1];
            son[m] = son[m - 1];
        }
        freq[k] = static_cast<std::uint16_t>(f);
        son[k] = static_cast<std::uint16_t>(i);
    }
    for (i = 0; i < T; i++) {
        if ((k = son[i]) >= T) {
            prnt[k] = static_cast<std::uint16_t>(i);
        } else {
            prnt[k] = prnt[k + 1] = static_cast<std::uint16_t>(i);
        }
    }
}

void Codec::Update(int c) {
    int i, j, l;
    unsigned k;
    if (freq[R] == MAX_FREQ) Reconst();
    c = prnt[c + T];
    do {
        k = ++freq[c];
        if (k > freq[l = c + 1]) {
            while (k > freq[++l]) {
            }
            l--;
            freq[c] = freq[l];
            freq[l] = static_cast<std::uint16_t>(k);
            i = son[c];
            prnt[i] = static_cast<std::uint16_t>(l);
            if (i < T) prnt[i + 1] = static_cast<std::uint16_t>(l);
            j = son[l];
            son[l] = static_cast<std::uint16_t>(i);
            prnt[j] = static_cast<std::uint16_t>(c);
            if (j < T) prnt[j + 1] = static_cast<std::uint16_t>(c);
            son[c] = static_cast<std::uint16_t>(j);
            c = l;
        }
    } while ((c = prnt[c]) != 0);
}

// Codes may be longer than 16 bits, so they are assembled in a 32-bit word and sent as
// up to two 16-bit pieces.
void Codec::EncodeChar(unsigned c) {
    std::uint32_t i = 0;
    int j = 0;
    int k = prnt[c + T];
    do {
        i >>= 1;
        if (k & 1) i += 0x80000000u;
        j++;
    } while ((k = prnt[k]) != R);
    Putcode(j < 16 ? j : 16, i >> 16);
    if (j > 16) Putcode(j - 16, i & 0xFFFF);
    Update(static_cast<int>(c));
}

void Codec::EncodePosition(unsigned c) {
    const unsigned i = c >> 6;
    Putcode(p_len[i], static_cast<unsigned>(p_code[i]) << 8);
    Putcode(6, (c & 0x3F) << 10);
}

int Codec::DecodeChar() {
    unsigned c = son[R];
    while (c < T) {
        c += GetBit();
        c = son[c];
    }
    c -= T;
    Update(static_cast<int>(c));
    return static_cast<int>(c);
}

int Codec::DecodePosition() {
    unsigned i = GetByte();
    const unsigned c = static_cast<unsigned>(d_code[i]) << 6;
    int j = d_len[i];
    j -= 2;
    while (j--) i = (i << 1) + GetBit();
    return static_cast<int>(c | (i & 0x3F));
}

// c holds l bits left-aligned in 16 bits.
void Codec::Putcode(int l, unsigned c) {
    putbuf = static_cast<std::uint16_t>(putbuf | (c >> putlen));
    if ((putlen += l) >= 8) {
        WriteByte(putbuf >> 8);
        if ((putlen -= 8) >= 8) {
            WriteByte(putbuf & 0xFF);
            putlen -= 8;
            putbuf = static_cast<std::uint16_t>(c << (l - putlen));
        } else {
            putbuf = static_cast<std::uint16_t>(putbuf << 8);
        }
    }
}

void Codec::FillGetBuf() {
    while (getlen <= 8) {
        int c = 0;
        if (!ReadByte(c)) c = 0;
        getbuf = static_cast<std::uint16_t>(getbuf | (c << (8 - getlen)));
        getlen += 8;
    }
}

int Codec::GetBit() {
    FillGetBuf();
    const unsigned i = getbuf;
    getbuf = static_cast<std::uint16_t>(getbuf << 1);
    getlen--;
    return static_cast<int>((i >> 15) & 1);
}

int Codec::GetByte() {
    FillGetBuf();
    const unsigned i = getbuf;
    getbuf = static_cast<std::uint16_t>(getbuf << 8);
    getlen -= 8;
    return static_cast<int>(i >> 8);
}

void Codec::InitTree() {
    for (int i = N + 1; i <= N + 256; i++) rson[i] = NIL;
    for (int i = 0; i < N; i++) dad[i] = NIL;
    dad[N] = NIL;
}

void Codec::InsertNode(int r) {
    int i, p, cmp;
    unsigned c;
    cmp = 1;
    const std::uint8_t* key = &text_buf[r];
    p = N + 1 + key[0];
    rson[r] = lson[r] = NIL;
    match_length = 0;
    for (;;) {
        if (cmp >= 0) {
            if (rson[p] != NIL) {
                p = rson[p];
            } else {
                rson[p] = static_cast<std::uint16_t>(r);
                dad[r] = static_cast<std::uint16_t>(p);
                return;
            }
        } else {
            if (lson[p] != NIL) {
                p = lson[p];
            } else {
                lson[p] = static_cast<std::uint16_t>(r);
                dad[r] = static_cast<std::uint16_t>(p);
                return;
            }
        }
        for (i = 1; i < F; i++) {
            if ((cmp = key[i] - text_buf[p + i]) != 0) break;
        }
        if (i > THRESHOLD) {
            if (i > match_length) {
                match_position = static_cast<std::uint16_t>(((r - p) & (N - 1)) - 1);
                if ((match_length = static_cast<std::uint16_t>(i)) >= F) break;
            } else if (i == match_length) {
                if ((c = ((r - p) & (N - 1)) - 1) < match_position) match_position = static_cast<std::uint16_t>(c);
            }
        }
    }
    dad[r] = dad[p];
    lson[r] = lson[p];
    rson[r] = rson[p];
    dad[lson[p]] = static_cast<std::uint16_t>(r);
    dad[rson[p]] = static_cast<std::uint16_t>(r);
    if (rson[dad[p]] == p) {
        rson[dad[p]] = static_cast<std::uint16_t>(r);
    } else {
        lson[dad[p]] = static_cast<std::uint16_t>(r);
    }
    dad[p] = NIL;
}

void Codec::DeleteNode(int p) {
    int q;
    if (dad[p] == NIL) return;
    if (rson[p] == NIL) {
        q = lson[p];
    } else if (lson[p] == NIL) {
        q = rson[p];
    } else {
        q = lson[p];
        if (rson[q] != NIL) {
            do {
                q = rson[q];
            } while (rson[q] != NIL);
            rson[dad[q]] = lson[q];
            dad[lson[q]] = dad[q];
            lson[q] = lson[p];
            dad[lson[p]] = static_cast<std::uint16_t>(q);
        }
        rson[q] = rson[p];
        dad[rson[p]] = static_cast<std::uint16_t>(q);
    }
    dad[q] = dad[p];
    if (rson[dad[p]] == p) {
        rson[dad[p]] = static_cast<std::uint16_t>(q);
    } else {
        lson[dad[p]] = static_cast<std::uint16_t>(q);
    }
    dad[p] = NIL;
}

void Codec::Encode() {
    int i, c, len, r, s, last_match_length;
    StartHuff();
    InitTree();
    s = 0;
    r = N - F;
    for (len = 0; len < F && ReadByte(c); len++) text_buf[r + len] = static_cast<std::uint8_t>(c);
    for (i = 1; i <= F; i++) InsertNode(r - i);
    InsertNode(r);
    do {
        if (match_length > len) match_length = static_cast<std::uint16_t>(len);
        if (match_length <= THRESHOLD) {
            match_length = 1;
            EncodeChar(text_buf[r]);
        } else {
            EncodeChar(255 - THRESHOLD + match_length);
            EncodePosition(match_position);
        }
        last_match_length = match_length;
        for (i = 0; i < last_match_length && ReadByte(c); i++) {
            DeleteNode(s);
            text_buf[s] = static_cast<std::uint8_t>(c);
            if (s < F - 1) text_buf[s + N] = static_cast<std::uint8_t>(c);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            InsertNode(r);
        }
        while (i++ < last_match_length) {
            DeleteNode(s);
            s = (s + 1) & (N - 1);
            r = (r + 1) & (N - 1);
            if (--len) InsertNode(r);
        }
    } while (len > 0);
    if (putlen) WriteByte(putbuf >> 8);
}

void Codec::Decode(std::int32_t length) {
    int i, j, k, r, c;
    std::int64_t count;
    StartHuff();
    r = N - F;
    for (count = 0; count < length;) {
        c = DecodeChar();
        if (c < 256) {
            WriteByte(c);
            text_buf[r++] = static_cast<std::uint8_t>(c);
            r &= (N - 1);
            count++;
        } else {
            i = (r - DecodePosition() - 1) & (N - 1);
            j = c - 255 + THRESHOLD;
            for (k = 0; k < j; k++) {
                c = text_buf[(i + k) & (N - 1)];
                WriteByte(c);
                text_buf[r++] = static_cast<std::uint8_t>(c);
                r &= (N - 1);
                count++;
            }
        }
    }
}

// The buffered file streams: ReadInput and WriteOutput over 4096-byte buffers whose
// positions count from 1.
class FileStreams {
public:
    FileStreams(platform::File& in, platform::File& out, const package::Progress& progress)
        : in_(in), out_(out), progress_(progress) {}

    int Read(std::uint8_t* buffer, int) {
        if (readPos_ > fillCount_) {
            fillCount_ = static_cast<int>(in_.Read(inBuf_.data(), inBuf_.size()));
            if (fillCount_ == 0) return 0;
            readPos_ = 1;
        }
        buffer[0] = inBuf_[readPos_ - 1];
        readPos_++;
        return 1;
    }

    int Write(const std::uint8_t* buffer, int count) {
        if (count == 0) {
            WriteBlock();
            return 0;
        }
        if (fillPos_ > 4096 || fillPos_ + count > 4097) {
            WriteBlock();
            fillPos_ = 1;
        }
        for (int i = 0; i < count; i++) outBuf_[fillPos_ - 1 + i] = buffer[i];
        fillPos_ += count;
        return count;
    }

    bool writeFailed = false;

private:
    void WriteBlock() {
        const auto size = static_cast<std::size_t>(fillPos_ - 1);
        try {
            if (size > 0 && out_.Write(outBuf_.data(), size) != size) writeFailed = true;
        } catch (const common::IoError&) {
            writeFailed = true;
        }
        if (progress_) progress_(static_cast<std::int32_t>(out_.Size()));
    }

    platform::File& in_;
    platform::File& out_;
    const package::Progress& progress_;
    std::array<std::uint8_t, 4096> inBuf_{};
    std::array<std::uint8_t, 4096> outBuf_{};
    int readPos_ = 1;
    int fillCount_ = 0;
    int fillPos_ = 1;
};

struct LimitReached {};

}  // namespace

void ReferenceEncode(const ReadInput& read, const WriteOutput& write) {
    auto codec = std::make_unique<Codec>(read, write);
    codec->Encode();
}

void ReferenceDecode(std::int32_t length, const ReadInput& read, const WriteOutput& write) {
    auto codec = std::make_unique<Codec>(read, write);
    codec->Decode(length);
}

std::vector<std::uint8_t> ReferenceCompressBytes(std::span<const std::uint8_t> data) {
    const auto length = static_cast<std::uint32_t>(data.size());
    std::vector<std::uint8_t> stream = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                        static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
    std::size_t next = 0;
    ReferenceEncode(
        [&](std::uint8_t* buffer, int) {
            if (next == data.size()) return 0;
            buffer[0] = data[next++];
            return 1;
        },
        [&](const std::uint8_t* buffer, int count) {
            stream.insert(stream.end(), buffer, buffer + count);
            return count;
        });
    return stream;
}

std::vector<std::uint8_t> ReferenceDecompressBytes(std::span<const std::uint8_t> stream, std::size_t limit) {
    if (stream.size() < 4) throw common::Error("stream without a length field");
    const std::uint32_t length = stream[0] | (stream[1] << 8) | (stream[2] << 16) | (std::uint32_t{stream[3]} << 24);
    std::size_t next = 4;
    std::vector<std::uint8_t> bytes;
    try {
        ReferenceDecode(
            static_cast<std::int32_t>(length),
            [&](std::uint8_t* buffer, int) {
                if (next == stream.size()) return 0;
                buffer[0] = stream[next++];
                return 1;
            },
            [&](const std::uint8_t* buffer, int count) {
                if (bytes.size() >= limit) throw LimitReached{};
                bytes.insert(bytes.end(), buffer, buffer + count);
                return count;
            });
    } catch (const LimitReached&) {
    }
    return bytes;
}

void ReferenceCompressFile(platform::FileSystem& fs, const std::string& source, const std::string& dest,
                           const package::Progress& progress) {
    const auto in = fs.Open(source, platform::OpenMode::Read);
    const auto out = fs.Open(dest, platform::OpenMode::Create);
    FileStreams streams(*in, *out, progress);
    const auto length = static_cast<std::uint32_t>(in->Size());
    const std::uint8_t field[4] = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                   static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
    if (out->Write(field, 4) != 4) throw common::IoError(common::kDiskWriteError, dest);
    ReferenceEncode([&](std::uint8_t* buffer, int count) { return streams.Read(buffer, count); },
                    [&](const std::uint8_t* buffer, int count) { return streams.Write(buffer, count); });
    streams.Write(nullptr, 0);
    if (streams.writeFailed) throw common::IoError(common::kDiskWriteError, dest);
    in->Close();
    out->Close();
}

package::DecodeResult ReferenceDecompressFile(platform::FileSystem& fs, const std::string& source,
                                              const std::string& dest, const package::Progress& progress) {
    const auto in = fs.Open(source, platform::OpenMode::Read);
    const auto out = fs.Open(dest, platform::OpenMode::Create);
    FileStreams streams(*in, *out, progress);
    std::uint8_t field[4] = {};
    if (in->Read(field, 4) != 4) throw common::IoError(common::kDiskReadError, source);
    const std::uint32_t length = field[0] | (field[1] << 8) | (field[2] << 16) | (std::uint32_t{field[3]} << 24);
    package::DecodeResult result;
    ReferenceDecode(
        static_cast<std::int32_t>(length), [&](std::uint8_t* buffer, int count) { return streams.Read(buffer, count); },
        [&](const std::uint8_t* buffer, int count) {
            result.bytesWritten += count;
            return streams.Write(buffer, count);
        });
    streams.Write(nullptr, 0);
    in->Close();
    out->Close();
    result.writeFailed = streams.writeFailed;
    return result;
}

}  // namespace instalator::testing
