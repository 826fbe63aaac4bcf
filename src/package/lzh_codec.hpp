#pragma once
// The LZH codec itself, templated over where its bytes come from and go to so that
// files, memory and test drivers all share one inlined implementation.
//
// Sources hand out input in chunks: `std::span<const std::uint8_t> Next()` returns the
// next chunk, an empty one at the end. Targets take output in blocks:
// `void Write(const std::uint8_t* data, std::size_t size)`, and `bool Full() const`
// tells the decoder that nothing more is wanted.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "package/lzh.hpp"

namespace instalator::package::lzh {

inline constexpr int kRingSize = 4096;                      // window of earlier bytes
inline constexpr int kRingMask = kRingSize - 1;
inline constexpr int kMaxMatch = 60;                        // look-ahead and longest match
inline constexpr int kThreshold = 2;                        // longest match still sent as a literal
inline constexpr int kSymbols = 256 - kThreshold + kMaxMatch;  // 314: literals and match lengths
inline constexpr int kNodes = 2 * kSymbols - 1;             // 627 nodes of the code tree
inline constexpr int kRoot = kNodes - 1;
inline constexpr std::uint32_t kMaxFreq = 0x8000;           // root frequency that forces a rebuild
inline constexpr int kNil = kRingSize;                      // no node in the match-finder trees
inline constexpr int kRingStart = kRingSize - kMaxMatch;    // 4036: first position written
inline constexpr std::uint8_t kRingFill = ' ';              // the ring's content before any input
inline constexpr std::size_t kBlockSize = 4096;             // file I/O block

// --- Position code -------------------------------------------------------------------
// The upper 6 bits of a match position go out with a fixed canonical prefix code of 3
// to 8 bits, the lower 6 bits verbatim.

struct PositionCodes {
    std::array<std::uint8_t, 64> length{};        // prefix length per upper value
    std::array<std::uint8_t, 64> code{};          // prefix, left-aligned in a byte
    std::array<std::uint8_t, 256> upper{};        // upper value for any byte that starts with a prefix
    std::array<std::uint8_t, 256> upperLength{};  // that prefix's length
};

constexpr int PositionPrefixLength(int upper) {
    return upper == 0 ? 3 : upper < 4 ? 4 : upper < 12 ? 5 : upper < 24 ? 6 : upper < 48 ? 7 : 8;
}

constexpr PositionCodes MakePositionCodes() {
    PositionCodes t;
    unsigned code = 0;
    for (int v = 0; v < 64; ++v) {
        const int length = PositionPrefixLength(v);
        if (v > 0) code = (code + 1) << (length - PositionPrefixLength(v - 1));
        t.length[v] = static_cast<std::uint8_t>(length);
        t.code[v] = static_cast<std::uint8_t>(code << (8 - length));
        for (unsigned rest = 0; rest < (1u << (8 - length)); ++rest) {
            t.upper[t.code[v] | rest] = static_cast<std::uint8_t>(v);
            t.upperLength[t.code[v] | rest] = static_cast<std::uint8_t>(length);
        }
    }
    return t;
}

inline constexpr PositionCodes kPositionCodes = MakePositionCodes();

// --- Bit output ----------------------------------------------------------------------

// Collects output bytes into 4096-byte blocks. A full block goes to the target only when
// the next byte arrives, the rest at Finish(), so the target sees exactly the blocks a
// byte-at-a-time writer would produce.
template <class Target>
class BlockOutput {
public:
    explicit BlockOutput(Target& target) : target_(target) {}

    void Put(std::uint8_t byte) {
        if (fill_ == kBlockSize) {
            target_.Write(buffer_.data(), fill_);
            fill_ = 0;
        }
        buffer_[fill_++] = byte;
    }
    void Finish() {
        target_.Write(buffer_.data(), fill_);
        fill_ = 0;
    }
    bool Full() const { return target_.Full(); }

private:
    Target& target_;
    std::size_t fill_ = 0;
    std::array<std::uint8_t, kBlockSize> buffer_;
};

// Packs codes most significant bit first; the last byte is padded with zero bits.
template <class Output>
class BitWriter {
public:
    explicit BitWriter(Output& out) : out_(out) {}

    // Appends the low `length` bits of `code` (1 to 32 bits, nothing above them set).
    void Put(std::uint32_t code, int length) {
        pending_ = (pending_ << length) | code;
        count_ += length;
        if (count_ >= 32) {
            count_ -= 32;
            const auto word = static_cast<std::uint32_t>(pending_ >> count_);
            out_.Put(static_cast<std::uint8_t>(word >> 24));
            out_.Put(static_cast<std::uint8_t>(word >> 16));
            out_.Put(static_cast<std::uint8_t>(word >> 8));
            out_.Put(static_cast<std::uint8_t>(word));
        }
    }
    void Finish() {
        for (; count_ >= 8; count_ -= 8) out_.Put(static_cast<std::uint8_t>(pending_ >> (count_ - 8)));
        if (count_ > 0) out_.Put(static_cast<std::uint8_t>(pending_ << (8 - count_)));
        count_ = 0;
    }

private:
    Output& out_;
    std::uint64_t pending_ = 0;  // the low count_ bits are waiting
    int count_ = 0;              // below 32 between calls
};

// --- Bit input -----------------------------------------------------------------------

// Eight bytes as a number, the first byte highest: it orders like the strings do.
inline std::uint64_t LoadBig64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}

// Reads code bits most significant first from a source; past its end it supplies zero
// bits and remembers that it did, so a caller can tell when decoding ran off the end.
template <class Source>
class BitReader {
public:
    explicit BitReader(Source& source) : source_(source) {}

    // At least kWindowBits of the coming bits, left-aligned, without consuming them.
    std::uint64_t Window() {
        if (count_ < kWindowBits) Refill();
        return bits_;
    }
    // Consumes n bits, at most kWindowBits, of the last window.
    void Skip(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    static constexpr int kWindowBits = 57;
    // True once a bit beyond the source's end has been consumed.
    bool Overrun() const { return count_ < padding_; }

private:
    void Refill();
    bool NextChunk();

    Source& source_;
    const std::uint8_t* pos_ = nullptr;
    const std::uint8_t* end_ = nullptr;
    std::uint64_t bits_ = 0;  // left-aligned
    int count_ = 0;
    int padding_ = 0;  // zero bits appended at the low end (capped: 128 means "too many")
};

template <class Source>
bool BitReader<Source>::NextChunk() {
    if (padding_ > 0) return false;  // the source has ended once already
    const std::span<const std::uint8_t> chunk = source_.Next();
    pos_ = chunk.data();
    end_ = chunk.data() + chunk.size();
    return !chunk.empty();
}

template <class Source>
void BitReader<Source>::Refill() {
    if (end_ - pos_ >= 8) {  // whole bytes, as many as fit, in one load
        const std::uint64_t next = LoadBig64(pos_);
        const int take = (64 - count_) / 8;
        const int filled = count_ + 8 * take;
        bits_ |= (next >> count_) & ~((std::uint64_t{1} << (64 - filled)) - 1);
        pos_ += take;
        count_ = filled;
        return;
    }
    while (count_ <= 56) {
        if (pos_ == end_ && !NextChunk()) {
            count_ += 8;  // a zero byte
            padding_ = padding_ < 128 ? padding_ + 8 : padding_;
            continue;
        }
        bits_ |= std::uint64_t{*pos_++} << (56 - count_);
        count_ += 8;
    }
}

// Byte-wise input for the encoder.
template <class Source>
class ByteReader {
public:
    explicit ByteReader(Source& source) : source_(source) {}

    bool Next(std::uint8_t& byte) {
        if (pos_ == end_) {
            const std::span<const std::uint8_t> chunk = source_.Next();
            if (chunk.empty()) return false;
            pos_ = chunk.data();
            end_ = chunk.data() + chunk.size();
        }
        byte = *pos_++;
        return true;
    }

private:
    Source& source_;
    const std::uint8_t* pos_ = nullptr;
    const std::uint8_t* end_ = nullptr;
};

// --- Adaptive Huffman code -----------------------------------------------------------
// Nodes 0..626 are kept in order of frequency (the sibling property); the two children
// of an internal node k are son[k] and son[k] + 1, a leaf's son is 627 + symbol. Every
// coded symbol bumps the frequencies on its path and swaps nodes that fell out of order.
//
// Codes can be longer than 16 bits: a leaf at depth d needs a root frequency of at least
// Fibonacci(d + 2), and the root never exceeds 0x8000, so depth stays at most 21. Codes
// are kept in 32 bits.

struct SymbolCode {
    std::uint32_t bits;  // right-aligned: the first bit to send is the highest
    int length;
};

class HuffmanModel {
public:
    HuffmanModel() { Start(); }

    // The code of symbol, after which the model counts it.
    //
    // Counting adds one to the frequency of every node from the symbol's leaf up. A node
    // whose frequency equalled its successor's must then move: it swaps places with the
    // last node of its old frequency and counting goes on from the new place (MoveUp).
    // Below the first node that moves, counting follows the code's own path, so it is
    // done during the walk that finds the code.
    SymbolCode Code(int symbol) {
        std::uint32_t k = parent_[symbol + kNodes];
        if (freq_[kRoot] == kMaxFreq) return CodeThenRebuild(symbol);
        std::uint32_t bits = 0;
        int length = 0;
        while (freq_[k] < freq_[k + 1]) {  // stays in order when counted
            ++freq_[k];
            if (k == kRoot) return {bits, length};
            bits |= (k & 1u) << length;
            ++length;
            k = parent_[k];
        }
        const std::uint32_t moving = k;
        for (; k != kRoot; k = parent_[k]) {
            bits |= (k & 1u) << length;
            ++length;
        }
        Climb(parent_[MoveUp(moving, ++freq_[moving])]);
        return {bits, length};
    }

    // Reads one symbol's code and counts the symbol. The walk down notes the nodes it
    // passes, so counting them needs no loads of parents until a node moves.
    template <class Reader>
    int Decode(Reader& in) {
        std::uint16_t* const end = path_.data() + path_.size();
        std::uint16_t* step = end;
        *--step = kRoot;
        std::uint64_t window = in.Window();
        int used = 0;
        std::uint32_t c = son_[kRoot];
        while (c < kNodes) {
            if (used == Reader::kWindowBits) {
                in.Skip(used);
                window = in.Window();
                used = 0;
            }
            c += static_cast<std::uint32_t>(window >> 63);
            window <<= 1;
            ++used;
            *--step = static_cast<std::uint16_t>(c);
            c = son_[c];
        }
        in.Skip(used);
        const int symbol = static_cast<int>(c) - kNodes;
        Count(symbol, step, end);
        return symbol;
    }

    // The current code length of a symbol, for tests.
    int CodeLength(int symbol) const;

private:
    void Start();
    void Rebuild();
    // Counts the nodes of the path [leaf, end) that a code just took, leaf first, up to
    // the first one that must move, which is then moved and counted on from.
    void Count(int symbol, const std::uint16_t* leaf, const std::uint16_t* end) {
        if (freq_[kRoot] == kMaxFreq) {
            Rebuild();
            Climb(parent_[symbol + kNodes]);
            return;
        }
        for (; leaf != end; ++leaf) {
            const std::uint32_t c = *leaf;
            const std::uint32_t k = ++freq_[c];
            if (k > freq_[c + 1]) {
                Climb(parent_[MoveUp(c, k)]);
                return;
            }
        }
    }
    SymbolCode CodeThenRebuild(int symbol) {
        std::uint32_t bits = 0;
        int length = 0;
        for (std::uint32_t k = parent_[symbol + kNodes]; k != kRoot; k = parent_[k]) {
            bits |= (k & 1u) << length;
            ++length;
        }
        Rebuild();
        Climb(parent_[symbol + kNodes]);
        return {bits, length};
    }
    void Climb(std::uint32_t c) {
        for (; c != 0; c = parent_[c]) {
            const std::uint32_t k = ++freq_[c];
            if (k > freq_[c + 1]) c = MoveUp(c, k);
        }
    }
    std::uint32_t LastBelow(std::uint32_t from, std::uint32_t k) const;
    void Link(std::uint32_t node, std::uint32_t child) {
        son_[node] = child;
        parent_[child] = node;
        if (child < kNodes) parent_[child + 1] = node;
    }
    // Node c's frequency has just become k and passed its successor's: swap c's subtree
    // with the last node of frequency k - 1 and return where c's subtree now is.
    std::uint32_t MoveUp(std::uint32_t c, std::uint32_t k) {
        const std::uint32_t l = LastBelow(c + 1, k);
        freq_[c] = freq_[l];
        freq_[l] = k;
        const std::uint32_t i = son_[c];
        const std::uint32_t j = son_[l];
        Link(l, i);
        Link(c, j);
        return l;
    }

    static constexpr std::uint32_t kScan = 16;
    // freq_[kNodes] and after are sentinels above all, so that LastBelow can scan ahead.
    std::array<std::uint32_t, kNodes + kScan> freq_;
    std::array<std::uint32_t, kNodes> son_;
    std::array<std::uint32_t, kNodes + kSymbols> parent_;  // node parents, then symbol leaves
    // The nodes the last decoded code passed, leaf first, at the end of the array; no
    // path is longer than the number of symbols.
    std::array<std::uint16_t, kSymbols> path_;
};

// The frequencies are sorted, so the run of k - 1 values that starts at `from` ends
// where a count of the values below k says. The first kScan values are counted at once,
// without branches; a longer run is found by a binary search.
inline std::uint32_t HuffmanModel::LastBelow(std::uint32_t from, std::uint32_t k) const {
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < kScan; ++i) count += freq_[from + i] < k ? 1 : 0;
    if (count < kScan) return from + count - 1;
    std::uint32_t below = from + kScan - 1;  // freq_[below] < k
    std::uint32_t above = below + 1;
    std::uint32_t gap = 4;
    while (freq_[above] < k) {
        below = above;
        above = std::min<std::uint32_t>(above + gap, kNodes);
        gap *= 2;
    }
    while (above - below > 1) {
        const std::uint32_t mid = below + (above - below) / 2;
        (freq_[mid] < k ? below : above) = mid;
    }
    return below;
}

// --- Match finder --------------------------------------------------------------------
// One binary search tree per first byte over the strings that start at ring positions;
// inserting a position also finds its longest earlier match.

class MatchFinder {
public:
    MatchFinder();

    std::uint8_t At(int pos) const { return ring_[pos]; }
    void Store(int pos, std::uint8_t byte) {
        ring_[pos] = byte;
        if (pos < kMaxMatch - 1) ring_[pos + kRingSize] = byte;  // mirror: compares never wrap
    }
    void Insert(int r);
    void Delete(int p);

    int matchLength = 0;
    int matchPosition = 0;  // distance - 1

private:
    static std::uint32_t CompareFrom9(const std::uint8_t* key, const std::uint8_t* other, bool& right);
    std::uint16_t& Left(std::uint32_t node) { return links_[2 * node]; }
    std::uint16_t& Right(std::uint32_t node) { return links_[2 * node + 1]; }
    // Both children of node in one load: the left one in the low half.
    std::uint32_t Children(std::uint32_t node) const {
        std::uint32_t both;
        std::memcpy(&both, &links_[2 * node], sizeof both);
        if constexpr (std::endian::native == std::endian::big) both = both >> 16 | both << 16;
        return both;
    }
    // The link in node's parent that points at node.
    std::uint16_t& LinkTo(int node) {
        const int parent = dad_[node];
        return Right(parent) == node ? Right(parent) : Left(parent);
    }
    void Replace(int p, int r);

    std::array<std::uint8_t, kRingSize + kMaxMatch - 1> ring_;
    // Left and right child of every position, side by side; nodes 4097 + byte are the
    // tree roots, which use the right side, and node 4096 stands for "none".
    std::array<std::uint16_t, 2 * (kRingSize + 257)> links_;
    std::array<std::uint16_t, kRingSize + 1> dad_;
};

// Compares key and other from index 9 on, knowing that indexes 1 to 8 agree: returns
// the first index up to 59 where they differ, or 60, and sets right when key's byte
// there is the greater one.
inline std::uint32_t MatchFinder::CompareFrom9(const std::uint8_t* key, const std::uint8_t* other, bool& right) {
    static constexpr int kStarts[] = {9, 17, 25, 33, 41, 49, 52};  // the last overlaps
    for (const int start : kStarts) {
        const std::uint64_t a = LoadBig64(key + start);
        const std::uint64_t b = LoadBig64(other + start);
        if (a != b) {
            right = a > b;
            return start + static_cast<std::uint32_t>(std::countl_zero(a ^ b)) / 8;
        }
    }
    return kMaxMatch;
}

// Walks r's tree down from its root, remembering the longest match met and, among
// equally long ones, the nearest; r is hung in where the walk ends. A match of the
// full 60 bytes ends the walk, and r replaces that node.
//
// The walk is the encoder's hot loop and a chain of dependent loads, so it keeps that
// chain short: the bytes and children of both children of a node are read while the
// node is compared, the side is then picked without a branch, and the best match is
// kept as one number, length * 4096 + (4095 - distance), so that larger is better.
inline void MatchFinder::Insert(int r) {
    constexpr std::uint32_t kNoMatch = (kThreshold + 1) * kRingSize - 1;  // below every match worth sending
    const std::uint8_t* key = &ring_[r];
    const std::uint64_t head = LoadBig64(key + 1);
    Left(r) = Right(r) = kNil;
    std::uint32_t best = kNoMatch;
    std::uint32_t parent = kNil + 1 + key[0];  // a root: its right child holds the tree
    bool right = true;
    std::uint32_t node = Right(parent);
    std::uint64_t text = LoadBig64(&ring_[node + 1]);
    std::uint32_t children = Children(node);
    while (node != kNil) {
        const std::uint32_t left = children & 0xFFFF;
        const std::uint32_t rightChild = children >> 16;
        const std::uint64_t leftText = LoadBig64(&ring_[left + 1]);
        const std::uint64_t rightText = LoadBig64(&ring_[rightChild + 1]);
        const std::uint32_t leftChildren = Children(left);
        const std::uint32_t rightChildren = Children(rightChild);
        std::uint32_t i;
        if (head != text) {
            right = head > text;
            i = 1 + static_cast<std::uint32_t>(std::countl_zero(head ^ text)) / 8;
        } else {
            i = CompareFrom9(key, &ring_[node], right);
        }
        best = std::max(best, i * kRingSize + ((node - r) & kRingMask));
        if (i == kMaxMatch) {
            Replace(static_cast<int>(node), r);
            break;
        }
        parent = node;
        const std::uint32_t pick = 0u - static_cast<std::uint32_t>(right);  // all ones for the right side
        node = left ^ ((left ^ rightChild) & pick);
        text = leftText ^ ((leftText ^ rightText) & (0 - static_cast<std::uint64_t>(right)));
        children = leftChildren ^ ((leftChildren ^ rightChildren) & pick);
    }
    if (node == kNil) {
        (right ? Right(parent) : Left(parent)) = static_cast<std::uint16_t>(r);
        dad_[r] = static_cast<std::uint16_t>(parent);
    }
    matchLength = best == kNoMatch ? 0 : static_cast<int>(best / kRingSize);
    matchPosition = best == kNoMatch ? matchPosition : static_cast<int>(kRingMask - best % kRingSize);
}

// r takes over p's place in its tree; p leaves the tree.
inline void MatchFinder::Replace(int p, int r) {
    dad_[r] = dad_[p];
    Left(r) = Left(p);
    Right(r) = Right(p);
    dad_[Left(p)] = static_cast<std::uint16_t>(r);
    dad_[Right(p)] = static_cast<std::uint16_t>(r);
    LinkTo(p) = static_cast<std::uint16_t>(r);
    dad_[p] = kNil;
}

// Unlinks p, putting in its place its only child or, with two children, the rightmost
// node of its left subtree.
inline void MatchFinder::Delete(int p) {
    if (dad_[p] == kNil) return;
    int q;
    if (Right(p) == kNil) {
        q = Left(p);
    } else if (Left(p) == kNil) {
        q = Right(p);
    } else {
        q = Left(p);
        if (Right(q) != kNil) {
            do q = Right(q);
            while (Right(q) != kNil);
            Right(dad_[q]) = Left(q);
            dad_[Left(q)] = dad_[q];
            Left(q) = Left(p);
            dad_[Left(p)] = static_cast<std::uint16_t>(q);
        }
        Right(q) = Right(p);
        dad_[Right(p)] = static_cast<std::uint16_t>(q);
    }
    dad_[q] = dad_[p];
    LinkTo(p) = static_cast<std::uint16_t>(q);
    dad_[p] = kNil;
}

// --- Encoder -------------------------------------------------------------------------

template <class Output>
class SymbolWriter {
public:
    explicit SymbolWriter(Output& out) : bits_(out) {}

    void Symbol(HuffmanModel& model, int symbol) {
        const SymbolCode code = model.Code(symbol);
        bits_.Put(code.bits, code.length);
    }
    void Position(int position) {
        const int upper = position >> 6;
        const int length = kPositionCodes.length[upper];
        const unsigned prefix = kPositionCodes.code[upper] >> (8 - length);
        bits_.Put((prefix << 6) | (static_cast<unsigned>(position) & 0x3F), length + 6);
    }
    void Finish() { bits_.Finish(); }

private:
    BitWriter<Output> bits_;
};

struct EncoderState {
    MatchFinder finder;
    HuffmanModel model;
};

// Compresses everything the source delivers; writes the code bits only.
template <class Source, class Target>
void Encode(Source& source, Target& target) {
    const auto state = std::make_unique<EncoderState>();
    MatchFinder& finder = state->finder;
    ByteReader<Source> in(source);
    BlockOutput<Target> block(target);
    SymbolWriter<BlockOutput<Target>> out(block);

    int s = 0;
    int r = kRingStart;
    int len = 0;
    for (std::uint8_t b; len < kMaxMatch && in.Next(b); ++len) finder.Store(r + len, b);
    for (int i = 1; i <= kMaxMatch; ++i) finder.Insert(r - i);
    finder.Insert(r);
    do {
        if (finder.matchLength > len) finder.matchLength = len;
        if (finder.matchLength <= kThreshold) {
            finder.matchLength = 1;
            out.Symbol(state->model, finder.At(r));
        } else {
            out.Symbol(state->model, 255 - kThreshold + finder.matchLength);
            out.Position(finder.matchPosition);
        }
        const int last = finder.matchLength;
        int i = 0;
        for (std::uint8_t b; i < last && in.Next(b); ++i) {
            finder.Delete(s);
            finder.Store(s, b);
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            finder.Insert(r);
        }
        for (; i < last; ++i) {
            finder.Delete(s);
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            if (--len != 0) finder.Insert(r);
        }
    } while (len > 0);
    out.Finish();
    block.Finish();
}

// --- Decoder -------------------------------------------------------------------------

template <class Reader>
int DecodePosition(Reader& in) {
    const auto bits = static_cast<unsigned>(in.Window() >> 48);
    const unsigned first = bits >> 8;
    const int length = kPositionCodes.upperLength[first];
    const unsigned lower = (bits >> (16 - length - 6)) & 0x3F;
    in.Skip(length + 6);
    return static_cast<int>((unsigned{kPositionCodes.upper[first]} << 6) | lower);
}

struct DecoderState {
    HuffmanModel model;
    std::array<std::uint8_t, kRingSize> ring;
};

// Decodes items until `length` bytes are out (a final match is emitted whole), the
// target is full, or, with stopWhenExhausted, an item would need bits beyond the
// source; otherwise missing bits read as zeros. inputExhausted tells whether any bit
// beyond the source was used.
template <class Source, class Target>
DecodeResult Decode(std::int32_t length, Source& source, Target& target, bool stopWhenExhausted) {
    const auto state = std::make_unique<DecoderState>();
    std::uint8_t* const ring = state->ring.data();
    std::memset(ring, kRingFill, kRingSize);
    BitReader<Source> in(source);
    BlockOutput<Target> out(target);
    DecodeResult result;
    std::int64_t count = 0;
    int r = kRingStart;
    while (count < length && !out.Full()) {
        const int c = state->model.Decode(in);
        if (c < 256) {
            if (in.Overrun() && stopWhenExhausted) break;
            ring[r] = static_cast<std::uint8_t>(c);
            r = (r + 1) & kRingMask;
            out.Put(static_cast<std::uint8_t>(c));
            ++count;
            continue;
        }
        const int from = r - DecodePosition(in) - 1;
        if (in.Overrun() && stopWhenExhausted) break;
        const int matched = c - 255 + kThreshold;
        for (int k = 0; k < matched; ++k) {
            const std::uint8_t byte = ring[(from + k) & kRingMask];
            ring[r] = byte;
            r = (r + 1) & kRingMask;
            out.Put(byte);
        }
        count += matched;
    }
    out.Finish();
    result.bytesWritten = count;
    result.inputExhausted = in.Overrun();
    return result;
}

}  // namespace instalator::package::lzh
