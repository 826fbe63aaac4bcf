#include "package/lzh_codec.hpp"

namespace instalator::package::lzh {

// Every symbol starts with frequency 1; the tree pairs nodes 0,1 then 2,3 and so on.
void HuffmanModel::Start() {
    for (std::uint32_t s = 0; s < kSymbols; ++s) {
        freq_[s] = 1;
        son_[s] = s + kNodes;
        parent_[s + kNodes] = s;
    }
    for (std::uint32_t i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
        freq_[j] = freq_[i] + freq_[i + 1];
        son_[j] = i;
        parent_[i] = parent_[i + 1] = j;
    }
    std::fill(freq_.begin() + kNodes, freq_.end(), 0xFFFF);
    parent_[kRoot] = 0;
}

// Halves the leaf frequencies (rounding up) and builds the tree anew from them.
void HuffmanModel::Rebuild() {
    std::uint32_t leaves = 0;
    for (std::uint32_t i = 0; i < kNodes; ++i) {
        if (son_[i] >= kNodes) {
            freq_[leaves] = (freq_[i] + 1) / 2;
            son_[leaves] = son_[i];
            ++leaves;
        }
    }
    for (std::uint32_t i = 0, j = kSymbols; j < kNodes; i += 2, ++j) {
        const std::uint32_t f = freq_[i] + freq_[i + 1];
        std::uint32_t k = j - 1;
        while (f < freq_[k]) --k;
        ++k;
        std::copy_backward(freq_.begin() + k, freq_.begin() + j, freq_.begin() + j + 1);
        std::copy_backward(son_.begin() + k, son_.begin() + j, son_.begin() + j + 1);
        freq_[k] = f;
        son_[k] = i;
    }
    for (std::uint32_t k = 0; k < kNodes; ++k) {
        const std::uint32_t child = son_[k];
        parent_[child] = k;
        if (child < kNodes) parent_[child + 1] = k;
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
    dad_.fill(kNil);
}

}  // namespace instalator::package::lzh
