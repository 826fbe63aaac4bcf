#include "package/lzh_codec.hpp"

namespace instalator::package::lzh {

// Every symbol starts with frequency 1; the tree pairs nodes 0,1 then 2,3 and so on.
void HuffmanModel::Start() {
    for (std::uint32_t s = 0; s < kSymbols; ++s) {
        freq_[s] = 1;
        son_[s] = static_cast<std::uint16_t>(s + kNodes);
        parent_[s + kNodes] = static_cast<std::uint16_t>(s);
    }
    for (std::uint32_t i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
        freq_[j] = static_cast<std::uint16_t>(freq_[i] + freq_[i + 1]);
        son_[j] = static_cast<std::uint16_t>(i);
        parent_[i] = parent_[i + 1] = static_cast<std::uint16_t>(j);
    }
    std::fill(freq_.begin() + kNodes, freq_.end(), 0xFFFF);
    parent_[kRoot] = 0;
    FillTable();
}

// Halves the leaf frequencies (rounding up) and builds the tree anew from them: nodes
// 0,1 get a parent, then 2,3 and so on, and each parent goes after every node of its
// frequency or less. The leaves stay sorted and the parents come in order of frequency,
// so the new order is a merge of the two, a leaf first where their frequencies tie.
void HuffmanModel::Rebuild() {
    std::array<std::uint16_t, kSymbols> leafFreq;
    std::array<std::uint16_t, kSymbols> leafSon;
    std::uint32_t leaves = 0;
    for (std::uint32_t i = 0; i < kNodes; ++i) {
        if (son_[i] >= kNodes) {
            leafFreq[leaves] = static_cast<std::uint16_t>((freq_[i] + 1) / 2);
            leafSon[leaves] = son_[i];
            ++leaves;
        }
    }
    std::uint32_t leaf = 0;
    std::uint32_t parent = 0;  // parent number n joins nodes 2n and 2n + 1
    for (std::uint32_t k = 0; k < kNodes; ++k) {
        const bool parentReady = 2 * parent + 1 < k;
        const std::uint32_t f = parentReady ? freq_[2 * parent] + freq_[2 * parent + 1] : 0;
        if (leaf < kSymbols && (!parentReady || leafFreq[leaf] <= f)) {
            freq_[k] = leafFreq[leaf];
            son_[k] = leafSon[leaf];
            ++leaf;
        } else {
            freq_[k] = static_cast<std::uint16_t>(f);
            son_[k] = static_cast<std::uint16_t>(2 * parent);
            ++parent;
        }
    }
    for (std::uint32_t k = 0; k < kNodes; ++k) Link(k, son_[k]);
    FillTable();
}

void HuffmanModel::FillTable() {
    tag_.fill(kUntagged);
    std::array<std::uint16_t, kTableBits + 1> path{};
    Fill(kRoot, 0, 0, path.data());
}

// Tags position and fills the entries under it; path holds its ancestors' positions.
void HuffmanModel::Fill(std::uint32_t position, std::uint32_t depth, std::uint32_t first, std::uint16_t* path) {
    tag_[position] = static_cast<std::uint16_t>(depth << 8 | first);
    path[kTableBits - depth] = static_cast<std::uint16_t>(position);
    const std::uint32_t entries = 1u << (kTableBits - depth);
    const std::uint32_t son = son_[position];
    if (depth == kTableBits || son >= kNodes) {
        for (std::uint32_t i = 0; i < kTableBits - depth; ++i) path[i] = static_cast<std::uint16_t>(kSpare + 2 * i);
        for (std::uint32_t e = first; e < first + entries; ++e) {
            std::copy_n(path, kTableBits + 1, table_[e].path.begin());
            table_[e].node = static_cast<std::uint16_t>(position);
            table_[e].depth = static_cast<std::uint16_t>(depth);
        }
        return;
    }
    Fill(son, depth + 1, first, path);
    Fill(son + 1, depth + 1, first + entries / 2, path);
}

// Clears the tags of the positions below position that its entries name.
void HuffmanModel::Untag(std::uint32_t position) {
    const std::uint32_t depth = tag_[position] >> 8;
    const std::uint32_t first = tag_[position] & 0xFF;
    for (std::uint32_t e = first; e < first + (1u << (kTableBits - depth)); ++e) {
        for (std::uint32_t d = depth + 1; d <= table_[e].depth; ++d) tag_[table_[e].path[kTableBits - d]] = kUntagged;
    }
}

// Both positions' old descendants lose their tags first, since each subtree now hangs
// under the other position, then the positions above the last level are filled again.
void HuffmanModel::Reshape(std::uint32_t c, std::uint32_t l) {
    const bool refillC = tag_[c] < kLastLevelTag;
    const bool refillL = tag_[l] < kLastLevelTag;
    if (refillC) Untag(c);
    if (refillL) Untag(l);
    for (const std::uint32_t position : {c, l}) {
        if (position == c ? !refillC : !refillL) continue;
        std::array<std::uint16_t, kTableBits + 1> path = table_[tag_[position] & 0xFF].path;
        Fill(position, tag_[position] >> 8, tag_[position] & 0xFF, path.data());
    }
}

int HuffmanModel::CodeLength(int symbol) const {
    int length = 0;
    for (std::uint32_t k = parent_[symbol + kNodes]; k != kRoot; k = parent_[k]) ++length;
    return length;
}

// The ring starts as spaces throughout (its mirror included); no position is in a tree.
MatchFinder::MatchFinder() {
    ring_.fill(kRingFill);
    links_.fill(kNil);
    up_.fill(kNotInTree);
}

}  // namespace instalator::package::lzh
