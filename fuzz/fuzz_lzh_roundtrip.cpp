// Compresses fuzzer-made data and decompresses it again: the result must be the data.
// The stream must also be byte for byte what the straightforward reference encoder
// writes, and the reference decoder must read it back as well.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "package/lzh.hpp"
// The fuzz programs link the library only, so the reference codec is compiled in here.
#include "../tests/support/lzh_reference.cpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace instalator;
    const std::span<const std::uint8_t> input(data, size);
    const std::vector<std::uint8_t> stream = package::CompressBytes(input);
    if (stream != testing::ReferenceCompressBytes(input)) std::abort();
    const std::vector<std::uint8_t> original(input.begin(), input.end());
    if (package::DecompressBytes(stream) != original) std::abort();
    if (testing::ReferenceDecompressBytes(stream) != original) std::abort();
    return 0;
}
