#pragma once
// The LZH codec itself, templated over where its bytes come from and go to so that
// files, memory and test drivers all share one inlined implementation.
//
// Sources hand out input in chunks: `std::span<const std::uint8_t> Next()` returns the
// next chunk, an empty one at the end. Targets take output in blocks:
// `void Write(const std::uint8_t* data, std::size_t size)`, and `bool Full() const`
// tells the decoder that nothing more is wanted (only a Write may change it).

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Eight bytes as they lie in memory, and as a number with the first byte highest,
// which orders like the strings do.
inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline std::uint64_t BigEndian(std::uint64_t v) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    return v;
}
inline std::uint64_t LoadBig64(const std::uint8_t* p) { return BigEndian(Load64(p)); }

// Reads code bits most significant first from a source; past its end it supplies zero
// bits and remembers that it did, so a caller can tell when decoding ran off the end.
template <class Source>
class BitReader {
public:
    explicit BitReader(Source& source) : source_(source) {}

    // At least kWindowBits of the coming bits, left-aligned, without consuming them.
    std::uint64_t Window() {
        if (end_ - pos_ >= 8) [[likely]] {
            // As many whole bytes as fit, in one load and without a branch. The bits
            // below count_ that the load also brings are the coming ones, so the next
            // refill ORs the same bits there.
            const std::uint64_t bits = bits_ | LoadBig64(pos_) >> count_;
            pos_ += (63 - count_) >> 3;
            count_ |= 56;
            bits_ = bits;
            return bits;
        }
        if (count_ < kWindowBits) Refill();
        return bits_;
    }
    // Consumes n bits, at most kWindowBits, of the last window.
    void Skip(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    // Consumes n bits of the last window, which the caller has already shifted out.
    void Skip(int n, std::uint64_t rest) {
        bits_ = rest;
        count_ -= n;
    }
    // The coming bits as they stand, without a refill: the first Ahead() of them are
    // valid (Window() leaves at least kWindowBits).
    std::uint64_t Bits() const { return bits_; }
    int Ahead() const { return count_; }
    static constexpr int kWindowBits = 56;
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

// Byte by byte near the end of a chunk and past the source's end.
template <class Source>
void BitReader<Source>::Refill() {
    while (count_ < kWindowBits) {  // stops below 64, which the shift above relies on
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
    // The next byte only if the current chunk still holds one.
    bool NextInChunk(std::uint8_t& byte) {
        if (pos_ == end_) return false;
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
//
// Counting adds one to the frequency of every node from the symbol's leaf up. A node
// whose frequency equalled its successor's must then move: it swaps places with the last
// node of its old frequency and counting goes on from the new place (MoveUp).
//
// The top of the tree is mirrored in a table indexed by the first kTableBits bits of a
// code. An entry names *positions*, not symbols: the node reached after those bits (or
// the leaf of a shorter code), its depth and the positions passed on the way. Positions
// keep their parents when nodes swap, so the table only goes stale when a swap moves an
// internal subtree into or out of a position above the table's last level; such a swap
// refills the entries under that position. Swaps of two leaves and swaps at or below the
// last level, which are nearly all of them, leave it alone. Every position in the table
// carries a tag (its depth and first entry), which also gives its code prefix and, through
// the entry, all its ancestors without a chain of parent loads.

struct SymbolCode {
    std::uint32_t bits;  // right-aligned: the first bit to send is the highest
    int length;
};

class HuffmanModel {
public:
    HuffmanModel() { Start(); }

    // The code of symbol, after which the model counts it. The code is read off the walk
    // up from the leaf to the first position in the table, whose tag holds the rest.
    SymbolCode Code(int symbol) {
        if (freq_[kRoot] == kMaxFreq) return CodeThenRebuild(symbol);
        std::uint16_t* const below = path_.data();
        std::uint32_t k = parent_[symbol + kNodes];
        std::uint32_t bits = 0;
        int length = 0;
        while (tag_[k] == kUntagged) {
            below[length] = static_cast<std::uint16_t>(k);
            bits |= (k & 1u) << length;
            ++length;
            k = parent_[k];
        }
        const std::uint32_t depth = tag_[k] >> 8;
        const std::uint32_t first = tag_[k] & 0xFF;
        const SymbolCode code{bits | (first >> (kTableBits - depth)) << length, length + static_cast<int>(depth)};
        if (!CountPath(below, below + length)) Climb(CountEntry(table_[first].path.data()));
        return code;
    }

    // Reads one symbol's code and counts the symbol. The table resolves the first bits
    // at once and hands over the positions passed; deeper bits go one node at a time.
    // At least kTableBits bits must be ahead in the reader: Window() has been called
    // since at most kWindowBits - kTableBits bits were consumed.
    template <class Reader>
    int Decode(Reader& in) {
        static_assert(Reader::kWindowBits >= 21, "a window holds the longest code");
        assert(in.Ahead() >= static_cast<int>(kTableBits));
        // The table is indexed with the bits at hand, which the last item left enough of
        // (see Decoder), so that looking the entry up does not wait for the refill.
        const Entry& entry = table_[in.Bits() >> (64 - kTableBits)];
        std::uint64_t window = in.Window();
        const std::uint32_t depth = entry.depth;
        std::uint32_t c = son_[entry.node];
        std::uint16_t* const end = path_.data() + path_.size();
        std::uint16_t* step = end;  // the positions below the table, leaf first
        window <<= depth;
        if (c < kNodes) {
            do {
                c += static_cast<std::uint32_t>(window >> 63);
                window <<= 1;
                *--step = static_cast<std::uint16_t>(c);
                c = son_[c];
            } while (c < kNodes);
        }
        in.Skip(static_cast<int>(depth + static_cast<std::uint32_t>(end - step)), window);
        const int symbol = static_cast<int>(c) - kNodes;
        if (freq_[kRoot] == kMaxFreq) {
            Rebuild();
            Climb(parent_[symbol + kNodes]);
        } else if (!CountPath(step, end)) {
            Climb(CountEntry(entry.path.data()));
        }
        return symbol;
    }

    // The current code length of a symbol, for tests.
    int CodeLength(int symbol) const;

    static constexpr std::uint32_t kTableBits = 7;

private:
    static constexpr std::uint16_t kUntagged = 0xFFFF;
    // Tags below this one belong to positions above the table's last level.
    static constexpr std::uint16_t kLastLevelTag = kTableBits << 8;

    struct alignas(32) Entry {
        // path[kTableBits - i] is the position at depth i, up to the entry's depth; the
        // root is last, so the positions passed read leaf first. Below a shorter code's
        // leaf the path holds spare counters (kSpare), so that every entry's path is
        // counted whole, in the same number of steps.
        std::array<std::uint16_t, kTableBits + 1> path;
        std::uint16_t node;   // the position at the entry's depth
        std::uint16_t depth;  // kTableBits, or the depth of a shorter code's leaf
    };

    void Start();
    void Rebuild();

    // Counts the positions [leaf, end) of a code's path, leaf first, up to the first one
    // that must move, which is then moved and counted on from. Tells whether one moved.
    bool CountPath(const std::uint16_t* leaf, const std::uint16_t* end) {
        if (leaf == end) return false;
        // The leaf first, on a test of its own: a leaf moves far more often than the
        // nodes above it, which would blur a shared branch's prediction.
        const std::uint32_t c = *leaf;
        const std::uint32_t k = ++freq_[c];
        if (k > freq_[c + 1]) {
            Climb(parent_[MoveUp(c, k)]);
            return true;
        }
        for (++leaf; leaf != end; ++leaf) {
            const std::uint32_t c = *leaf;
            const std::uint32_t k = ++freq_[c];
            if (k > freq_[c + 1]) {
                Climb(parent_[MoveUp(c, k)]);
                return true;
            }
        }
        return false;
    }
    // Counts the positions path[start..kTableBits] of a table entry, leaf first, like
    // CountPath; returns where counting goes on after a move, else 0.
    std::uint32_t CountTop(const std::uint16_t* path, std::uint32_t start) {
        for (std::uint32_t i = start; i < kTableBits; ++i) {
            const std::uint32_t n = path[i];
            const std::uint32_t k = ++freq_[n];
            if (k > freq_[n + 1]) return parent_[MoveUp(n, k)];
        }
        ++freq_[kRoot];  // last on every path, and never out of order
        return 0;
    }
    // Counts a whole entry's path like CountTop; the spare counters below a short code
    // never move. A fixed number of steps, unrolled: no loop to predict.
    std::uint32_t CountEntry(const std::uint16_t* path) {
#pragma GCC unroll 8
        for (std::uint32_t i = 0; i < kTableBits; ++i) {
            const std::uint32_t n = path[i];
            const std::uint32_t k = ++freq_[n];
            if (k > freq_[n + 1]) [[unlikely]] return parent_[MoveUp(n, k)];
        }
        ++freq_[kRoot];
        return 0;
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
    // Counts c and everything above it. Above the table's last level the ancestors come
    // from the table, so their counts do not wait on each other's loads.
    void Climb(std::uint32_t c) {
        while (c != 0) {
            const std::uint32_t tag = tag_[c];
            if (tag == kUntagged) {
                const std::uint32_t k = ++freq_[c];
                if (k > freq_[c + 1]) c = MoveUp(c, k);
                c = parent_[c];
            } else if (tag >= kLastLevelTag) [[likely]] {
                c = CountEntry(table_[tag & 0xFF].path.data());  // c heads its entry's path
            } else {
                c = CountTop(table_[tag & 0xFF].path.data(), kTableBits - (tag >> 8));
            }
        }
    }
    std::uint32_t LastBelow(std::uint32_t from, std::uint32_t k) const;
    // An internal node's second child gets its parent too; a leaf's write goes to a
    // scratch entry instead of a branch, as swaps mix leaves and internal nodes.
    void Link(std::uint32_t node, std::uint32_t child) {
        son_[node] = static_cast<std::uint16_t>(child);
        parent_[child] = static_cast<std::uint16_t>(node);
        parent_[child < kNodes ? child + 1 : kParentScratch] = static_cast<std::uint16_t>(node);
    }
    // Node c's frequency has just become k and passed its successor's: swap c's subtree
    // with the last node of frequency k - 1 and return where c's subtree now is.
    std::uint32_t MoveUp(std::uint32_t c, std::uint32_t k) {
        const std::uint32_t l = LastBelow(c + 1, k);
        freq_[c] = freq_[l];
        freq_[l] = static_cast<std::uint16_t>(k);
        const std::uint32_t i = son_[c];
        const std::uint32_t j = son_[l];
        Link(l, i);
        Link(c, j);
        if ((tag_[c] < kLastLevelTag || tag_[l] < kLastLevelTag) && (i < kNodes || j < kNodes)) Reshape(c, l);
        return l;
    }
    // The subtrees at positions c and l have just swapped and one of them is internal:
    // the entries under whichever of the two lies above the last level are filled anew.
    void Reshape(std::uint32_t c, std::uint32_t l);
    void Untag(std::uint32_t position);
    void Fill(std::uint32_t position, std::uint32_t depth, std::uint32_t first, std::uint16_t* path);
    void FillTable();

    static constexpr std::uint32_t kScan = 16;
    // Spare counters for the unused start of a short code's entry path: one per level,
    // each followed by a sentinel, so that counting one never moves anything (it wraps
    // at 0xFFFF and never exceeds its sentinel) and no two steps wait on one counter.
    static constexpr std::uint32_t kSpare = kNodes + kScan;
    // freq_[kNodes] up to the spares are sentinels above all, so that LastBelow can scan
    // ahead; the spare counters and their sentinels follow.
    std::array<std::uint16_t, kSpare + 2 * kTableBits> freq_;
    std::array<std::uint16_t, kNodes> son_;
    // Node parents, then symbol leaves, then the scratch entry of Link.
    static constexpr std::uint32_t kParentScratch = kNodes + kSymbols;
    std::array<std::uint16_t, kParentScratch + 1> parent_;
    // Depth << 8 | first entry for the positions in the table, kUntagged for the others.
    std::array<std::uint16_t, kNodes> tag_;
    std::array<Entry, std::size_t{1} << kTableBits> table_;
    // The positions a code passes, leaf first: the decoder's at the end of the array, the
    // encoder's (below the table) from the start; no path is longer than the symbols.
    std::array<std::uint16_t, kSymbols> path_;
};

// The frequencies are sorted, so the run of k - 1 values that starts at `from` ends
// where a count of the values below k says. The first kScan values are counted at once,
// without branches; a longer run is found by a binary search.
inline std::uint32_t HuffmanModel::LastBelow(std::uint32_t from, std::uint32_t k) const {
    std::uint32_t count;
#if defined(__SSE2__)
    // f < k exactly where f - (k - 1), saturated at zero, is zero.
    const __m128i limit = _mm_set1_epi16(static_cast<short>(k - 1));
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&freq_[from]));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&freq_[from + 8]));
    const __m128i lowBelow = _mm_cmpeq_epi16(_mm_subs_epu16(low, limit), zero);
    const __m128i highBelow = _mm_cmpeq_epi16(_mm_subs_epu16(high, limit), zero);
    const auto mask = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(lowBelow, highBelow)));
    count = static_cast<std::uint32_t>(__builtin_ctz(~mask));  // never zero: bit 16 up are set
#else
    count = 0;
    for (std::uint32_t i = 0; i < kScan; ++i) count += freq_[from + i] < k ? 1 : 0;
#endif
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

// Variants of the walk that pay off on x86-64: two walks at once need about 14
// registers, which a 32-bit x86 build does not have (it would keep most of both walks in
// memory); there, one walk serves every position.
#if defined(__i386__)
inline constexpr bool kWalkVariants = false;
#else
inline constexpr bool kWalkVariants = true;
#endif

class MatchFinder {
public:
    MatchFinder();

    std::uint8_t At(int pos) const { return ring_[pos]; }
    void Store(int pos, std::uint8_t byte) {
        ring_[pos] = byte;
        if (pos < kMaxMatch - 1) ring_[pos + kRingSize] = byte;  // mirror: compares never wrap
    }
    // Hangs position r into its tree; with kFindMatch, also sets matchLength and
    // matchPosition to the longest match met (the encoder needs them only for the last
    // position of each item, so the others skip that bookkeeping).
    template <bool kFindMatch = true>
    void Insert(int r);
    // Hangs in two positions whose first bytes differ, as Insert<false> one after the
    // other would: they go into different trees, so their walks are interleaved, each
    // filling the time the other waits for its loads.
    void InsertTwo(int r1, int r2);
    void Delete(int p);

    int matchLength = 0;
    int matchPosition = 0;  // distance - 1

private:
    static std::uint32_t CompareFrom9(const std::uint8_t* key, const std::uint8_t* other, bool& right);
    static bool FirstDifference(const std::uint8_t* key, const std::uint8_t* other, std::uint64_t& a,
                                std::uint64_t& b);
    std::uint16_t& Left(std::uint32_t node) { return links_[2 * node]; }
    std::uint16_t& Right(std::uint32_t node) { return links_[2 * node + 1]; }
    // The same for reading, indexed so that both sides' addresses differ only by a
    // constant and need no arithmetic of their own.
    std::uint32_t LeftOf(std::size_t node) const { return links_[2 * node]; }
    std::uint32_t RightOf(std::size_t node) const { return links_[2 * node + 1]; }
    void Replace(int p, int r);

    // A walk down r's tree: the node reached (none at the end), its bytes 1 to 8 as
    // loaded, its children, and the node before it.
    struct Walk {
        std::uint32_t r;
        std::uint64_t head;  // r's bytes 1 to 8, in order
        std::uint32_t node;
        std::uint64_t bytes;
        std::uint32_t left;
        std::uint32_t right;
        std::uint32_t parent;
    };
    Walk Begin(int r);
    // One step of a walk that looks for no match: from node to the child on key's side,
    // with that child's children and bytes read while the node is compared.
    [[gnu::always_inline]] void Step(std::uint64_t key, std::uint64_t text, std::uint32_t& node,
                                     std::uint32_t& left, std::uint32_t& right, std::uint32_t& parent,
                                     std::uint64_t& bytes) const;
    template <bool kFindMatch>
    void Finish(Walk walk);

    std::array<std::uint8_t, kRingSize + kMaxMatch - 1> ring_;
    // Left and right child of every position, side by side; nodes 4097 + byte are the
    // tree roots, which use the right side, and node 4096 stands for "none".
    std::array<std::uint16_t, 2 * (kRingSize + 257)> links_;
    // For every position in a tree, the index in links_ of the link that points at it,
    // so that unlinking it needs no test of which side it hangs on; kNotInTree for the
    // others. The entry for "none" (4096) takes harmless writes.
    static constexpr std::uint16_t kNotInTree = 0xFFFF;
    std::array<std::uint16_t, kRingSize + 1> up_;
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

// Like CompareFrom9, for a walk that only needs the side: sets a and b to the first eight
// bytes from index 9 on that differ, in order (the last group overlaps); false when all
// 60 bytes agree.
inline bool MatchFinder::FirstDifference(const std::uint8_t* key, const std::uint8_t* other, std::uint64_t& a,
                                         std::uint64_t& b) {
    static constexpr int kStarts[] = {9, 17, 25, 33, 41, 49, 52};
    for (const int start : kStarts) {
        a = LoadBig64(key + start);
        b = LoadBig64(other + start);
        if (a != b) return true;
    }
    return false;
}

// Replaces the left side's values with the right side's when a > b, without a branch:
// the side is a coin toss that a branch would mispredict half the time. x86-64 gets
// conditional moves straight on the comparison's flags (GCC does not emit them for this
// by itself: it branches on a `?:`, or goes through a bool and a test, three steps more
// on the walk's chain of dependent steps); other targets get a mask.
inline void PickRight(std::uint64_t a, std::uint64_t b, std::uint32_t& node, std::uint32_t rightNode,
                      std::uint64_t& text, std::uint64_t rightText, std::uint32_t& left,
                      std::uint32_t rightLeft, std::uint32_t& right, std::uint32_t rightRight) {
#if defined(__x86_64__) && defined(__GNUC__)
    asm("cmp %[b], %[a]\n\t"
        "cmova %[rightNode], %[node]\n\t"
        "cmova %[rightText], %[text]\n\t"
        "cmova %[rightLeft], %[left]\n\t"
        "cmova %[rightRight], %[right]"
        : [node] "+r"(node), [text] "+r"(text), [left] "+r"(left), [right] "+r"(right)
        : [rightNode] "r"(rightNode), [rightText] "r"(rightText), [rightLeft] "r"(rightLeft),
          [rightRight] "r"(rightRight), [a] "r"(a), [b] "r"(b)
        : "cc");
#else
    const std::uint32_t pick = 0u - static_cast<std::uint32_t>(a > b);  // all ones for the right side
    node ^= (node ^ rightNode) & pick;
    text ^= (text ^ rightText) & (0 - static_cast<std::uint64_t>(a > b));
    left ^= (left ^ rightLeft) & pick;
    right ^= (right ^ rightRight) & pick;
#endif
}

// Starts r's walk at the top of its tree; r itself has no children yet.
inline MatchFinder::Walk MatchFinder::Begin(int r) {
    Left(static_cast<std::uint32_t>(r)) = Right(static_cast<std::uint32_t>(r)) = kNil;
    const std::uint32_t root = kNil + 1 + ring_[r];  // its right child holds the tree
    const std::uint32_t node = RightOf(root);
    return {static_cast<std::uint32_t>(r), LoadBig64(&ring_[r + 1]), node, Load64(&ring_[node + 1]),
            LeftOf(node), RightOf(node), root};
}

template <bool kFindMatch>
inline void MatchFinder::Insert(int r) {
    Finish<kFindMatch || !kWalkVariants>(Begin(r));
}

// Walks r's tree down from where walk stands, remembering the longest match met and,
// among equally long ones, the nearest; r is hung in where the walk ends. A match of the
// full 60 bytes ends the walk, and r replaces that node.
//
// The walk is the encoder's hot loop: a chain of dependent loads, and the most
// instructions of all. So the bytes and children of both children of a node are read
// while the node is compared, the side is then picked without a branch, and the best
// match is kept as one number, (60 - length) * 4096 + (distance - 1), so that smaller is
// better; for a difference within the first 8 bytes, the length comes straight from the
// highest differing bit.
template <bool kFindMatch>
inline void MatchFinder::Finish(Walk walk) {
    constexpr std::uint32_t kNoMatch = (kMaxMatch - kThreshold) * kRingSize;  // above every match worth sending
    const std::uint32_t r = walk.r;
    const std::uint8_t* key = &ring_[r];
    const std::uint64_t head = walk.head;
    const std::uint32_t before = r - 1;  // (before - node) & kRingMask is distance - 1
    std::uint32_t best = kNoMatch;
    std::uint32_t parent = walk.parent;
    std::uint32_t node = walk.node;
    std::uint64_t bytes = walk.bytes;
    std::uint32_t left = walk.left;
    std::uint32_t rightChild = walk.right;
    while (node != kNil) {
        // The bytes are put in order only after the side is picked: the byte swap is then
        // off the chain of loads that leads from one node to the next. Each link is loaded
        // on its own, straight into a register that addresses the next loads.
        const std::uint64_t text = BigEndian(bytes);
        const std::uint64_t leftText = Load64(&ring_[std::size_t{left} + 1]);
        const std::uint64_t rightText = Load64(&ring_[std::size_t{rightChild} + 1]);
        const std::uint32_t leftLeft = LeftOf(left);
        const std::uint32_t leftRight = RightOf(left);
        const std::uint32_t rightLeft = LeftOf(rightChild);
        const std::uint32_t rightRight = RightOf(rightChild);
        const std::uint32_t place = (before - node) & kRingMask;
        parent = node;
        if (head != text) [[likely]] {
            if constexpr (kFindMatch) {
                // The first differing byte is byte 8 - high / 8 of the eight, so the length
                // falls short of 60 by 52 + high / 8.
                const auto high = static_cast<std::uint32_t>(63 ^ std::countl_zero(head ^ text));  // 63 - count
                best = std::min(best, ((high & 0x38) << 9) + place + (kMaxMatch - 8) * kRingSize);
            }
            node = left;
            bytes = leftText;
            left = leftLeft;
            std::uint32_t right = leftRight;
            PickRight(head, text, node, rightChild, bytes, rightText, left, rightLeft, right, rightRight);
            rightChild = right;
        } else {
            bool right;
            const std::uint32_t i = CompareFrom9(key, &ring_[parent], right);
            if constexpr (kFindMatch) best = std::min(best, (kMaxMatch - i) * kRingSize + place);
            if (i == kMaxMatch) {
                Replace(static_cast<int>(parent), static_cast<int>(r));
                node = parent;
                break;
            }
            node = right ? rightChild : left;
            bytes = right ? rightText : leftText;
            left = right ? rightLeft : leftLeft;
            rightChild = right ? rightRight : leftRight;
        }
    }
    if (node == kNil) {
        // The side r hangs on is the last comparison's, made again here rather than
        // carried through the walk; a root's tree hangs on its right.
        bool right = true;
        if (parent < kRingSize) {
            const std::uint64_t text = LoadBig64(&ring_[parent + 1]);
            if (head != text) {
                right = head > text;
            } else {
                CompareFrom9(key, &ring_[parent], right);
            }
        }
        const std::uint32_t link = 2 * parent + static_cast<std::uint32_t>(right);
        links_[link] = static_cast<std::uint16_t>(r);
        up_[r] = static_cast<std::uint16_t>(link);
    }
    if constexpr (kFindMatch) {
        matchLength = best == kNoMatch ? 0 : kMaxMatch - static_cast<int>(best / kRingSize);
        matchPosition = best == kNoMatch ? matchPosition : static_cast<int>(best % kRingSize);
    }
}

inline void MatchFinder::Step(std::uint64_t key, std::uint64_t text, std::uint32_t& node, std::uint32_t& left,
                              std::uint32_t& right, std::uint32_t& parent, std::uint64_t& bytes) const {
    const std::uint64_t leftText = Load64(&ring_[std::size_t{left} + 1]);
    const std::uint64_t rightText = Load64(&ring_[std::size_t{right} + 1]);
    const std::uint32_t leftLeft = LeftOf(left);
    const std::uint32_t leftRight = RightOf(left);
    const std::uint32_t rightLeft = LeftOf(right);
    const std::uint32_t rightRight = RightOf(right);
    parent = node;
    node = left;
    bytes = leftText;
    left = leftLeft;
    const std::uint32_t rightNode = right;
    right = leftRight;
    PickRight(key, text, node, rightNode, bytes, rightText, left, rightLeft, right, rightRight);
}

// The two walks step together while both go on and neither meets a node whose first 8
// bytes equal its key; each is then finished on its own.
inline void MatchFinder::InsertTwo(int r1, int r2) {
    const Walk a = Begin(r1);
    const Walk b = Begin(r2);
    // The walks' state in plain variables, which the compiler keeps in registers.
    std::uint32_t nodeA = a.node, leftA = a.left, rightA = a.right, parentA = a.parent;
    std::uint32_t nodeB = b.node, leftB = b.left, rightB = b.right, parentB = b.parent;
    std::uint64_t bytesA = a.bytes, bytesB = b.bytes;
    while (nodeA != kNil && nodeB != kNil) {
        // The keys to compare: the first 8 bytes, or the first 8 that differ after them.
        std::uint64_t keyA = a.head, textA = BigEndian(bytesA);
        std::uint64_t keyB = b.head, textB = BigEndian(bytesB);
        if (keyA == textA) [[unlikely]] {
            if (!FirstDifference(&ring_[a.r], &ring_[nodeA], keyA, textA)) break;
        }
        if (keyB == textB) [[unlikely]] {
            if (!FirstDifference(&ring_[b.r], &ring_[nodeB], keyB, textB)) break;
        }
        Step(keyA, textA, nodeA, leftA, rightA, parentA, bytesA);
        Step(keyB, textB, nodeB, leftB, rightB, parentB, bytesB);
    }
    Finish<false>({a.r, a.head, nodeA, bytesA, leftA, rightA, parentA});
    Finish<false>({b.r, b.head, nodeB, bytesB, leftB, rightB, parentB});
}

// r takes over p's place in its tree; p leaves the tree.
inline void MatchFinder::Replace(int p, int r) {
    up_[r] = up_[p];
    Left(r) = Left(p);
    Right(r) = Right(p);
    up_[Left(p)] = static_cast<std::uint16_t>(2 * r);
    up_[Right(p)] = static_cast<std::uint16_t>(2 * r + 1);
    links_[up_[p]] = static_cast<std::uint16_t>(r);
    up_[p] = kNotInTree;
}

// Unlinks p, putting in its place its only child or, with two children, the rightmost
// node of its left subtree.
inline void MatchFinder::Delete(int p) {
    if (up_[p] == kNotInTree) return;
    std::uint32_t q;
    const std::uint32_t left = LeftOf(static_cast<std::size_t>(p));
    const std::uint32_t right = RightOf(static_cast<std::size_t>(p));
    if (left == kNil || right == kNil) {
        q = left ^ right ^ kNil;  // the child there is, or none
    } else {
        q = left;
        std::uint32_t next = RightOf(q);
        if (next != kNil) {
            // Down the right side: each step's address is the link just loaded.
            do {
                q = next;
                next = RightOf(q);
            } while (next != kNil);
            const std::uint32_t rest = LeftOf(q);
            links_[up_[q]] = static_cast<std::uint16_t>(rest);  // q hangs on the right of its parent
            up_[rest] = up_[q];
            Left(q) = static_cast<std::uint16_t>(left);
            up_[left] = static_cast<std::uint16_t>(2 * q);
        }
        Right(q) = static_cast<std::uint16_t>(right);
        up_[right] = static_cast<std::uint16_t>(2 * q + 1);
    }
    up_[q] = up_[p];
    links_[up_[p]] = static_cast<std::uint16_t>(q);
    up_[p] = kNotInTree;
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
    for (int i = 1; i <= kMaxMatch; ++i) finder.Insert<false>(r - i);
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
            // Two positions inside the match, in different trees, are hung in together.
            // The oldest position then leaves its tree before both or, when that is r's
            // tree, after both: each tree sees its changes in the same order as one
            // position after the other. Storing next's last byte early changes only the
            // first byte of the oldest position's key, which no walk compares.
            const int next = (r + 1) & kRingMask;
            if (kWalkVariants && i + 2 < last && finder.At(r) != finder.At(next) && in.NextInChunk(b)) {
                const bool after = finder.At(s) == finder.At(r);
                if (!after) finder.Delete(s);
                finder.Store(s, b);
                finder.InsertTwo(r, next);
                if (after) finder.Delete(s);
                s = (s + 1) & kRingMask;
                r = next;
                ++i;
                continue;
            }
            if (i + 1 < last) {
                finder.Insert<false>(r);
            } else {
                finder.Insert(r);
            }
        }
        for (; i < last; ++i) {
            finder.Delete(s);
            s = (s + 1) & kRingMask;
            r = (r + 1) & kRingMask;
            if (--len == 0) continue;
            if (i + 1 < last) {
                finder.Insert<false>(r);
            } else {
                finder.Insert(r);
            }
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

// The decoder writes into one flat buffer: the 4096 bytes a match may reach back to,
// then the block being filled, then room for a match that runs past the block's end
// and for copying whole words. A match is then a plain forward copy, eight or sixteen
// bytes at a time where its distance allows, with no ring index to wrap.
struct DecoderState {
    static constexpr std::size_t kSlack = 64;  // a match copied as 64 bytes
    HuffmanModel model;
    std::array<std::uint8_t, kRingSize + kBlockSize + kSlack> buffer;
};

// Appends n (at most kMaxMatch) bytes that start distance bytes back; it may write
// up to 64 bytes from out on, never more than DecoderState::kSlack past the block.
inline void CopyMatch(std::uint8_t* out, std::uint32_t distance, std::uint32_t n) {
    const std::uint8_t* from = out - distance;
    // Where the distance allows whole words, the longest match's 64 bytes are copied
    // whatever the length: a fixed count of steps has no loop end to mispredict.
    static_assert(kMaxMatch <= 64);
    if (distance >= 16) {
        for (std::uint32_t i = 0; i < 64; i += 16) std::memcpy(out + i, from + i, 16);
    } else if (distance >= 8) {
        for (std::uint32_t i = 0; i < 64; i += 8) std::memcpy(out + i, from + i, 8);
    } else {
        for (std::uint32_t i = 0; i < n; ++i) out[i] = from[i];
    }
}

// Decodes items until `length` bytes are out (a final match is emitted whole), the
// target is full, or, with stopWhenExhausted, an item would need bits beyond the
// source; otherwise missing bits read as zeros. inputExhausted tells whether any bit
// beyond the source was used. The target gets 4096-byte blocks, each once the item
// after it has begun, and the rest at the end, as a byte-wise writer would hand them.
template <class Source, class Target>
DecodeResult Decode(std::int32_t length, Source& source, Target& target, bool stopWhenExhausted) {
    static_assert(kBlockSize == kRingSize, "a written block becomes the window for the next one");
    const auto state = std::make_unique<DecoderState>();
    HuffmanModel& model = state->model;
    std::uint8_t* const buffer = state->buffer.data();
    std::uint8_t* const block = buffer + kRingSize;
    std::uint8_t* const blockEnd = block + kBlockSize;
    std::memset(buffer, kRingFill, kRingSize);  // what the ring holds before any output
    BitReader<Source> in(source);
    DecodeResult result;
    std::int64_t written = 0;  // bytes handed to the target
    // Bytes still wanted from the block's start on; none once the target is full, which
    // only a write can change.
    std::int64_t wanted = target.Full() ? 0 : length;
    std::uint8_t* out = block;
    // Every item starts with a refilled window, whose first bits the next symbol's table
    // look-up reads: a symbol's code takes at most 21 bits, a position 14.
    static_assert(BitReader<Source>::kWindowBits - 21 >= static_cast<int>(HuffmanModel::kTableBits));
    in.Window();
    bool exhausted = false;
    while (!exhausted && out - block < wanted) {
        // Items go on until the wanted bytes are out or one passes the block's end, so
        // that the loop over the items tests one pointer.
        std::uint8_t* const stop = block + std::min<std::int64_t>(wanted, kBlockSize + 1);
        do {
            const int c = model.Decode(in);
            if (c < 256) {
                if (in.Overrun() && stopWhenExhausted) {
                    exhausted = true;
                    break;
                }
                *out++ = static_cast<std::uint8_t>(c);
            } else {
                const auto distance = static_cast<std::uint32_t>(DecodePosition(in)) + 1;
                if (in.Overrun() && stopWhenExhausted) {
                    exhausted = true;
                    break;
                }
                const auto matched = static_cast<std::uint32_t>(c - 255 + kThreshold);
                CopyMatch(out, distance, matched);
                out += matched;
            }
        } while (out < stop);
        if (out > blockEnd) {
            target.Write(block, kBlockSize);
            written += static_cast<std::int64_t>(kBlockSize);
            wanted = target.Full() ? 0 : wanted - static_cast<std::int64_t>(kBlockSize);
            std::memmove(buffer, buffer + kBlockSize, static_cast<std::size_t>(out - buffer) - kBlockSize);
            out -= kBlockSize;
        }
    }
    target.Write(block, static_cast<std::size_t>(out - block));
    result.bytesWritten = written + (out - block);
    result.inputExhausted = in.Overrun();
    return result;
}

}  // namespace instalator::package::lzh
