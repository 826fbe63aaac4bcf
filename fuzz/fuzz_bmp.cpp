// Feeds arbitrary bytes to the BMP decoder: it must either return a picture whose
// pixel count matches its size or throw ImageError; never crash, hang or read
// outside the data.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/image.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const instalator::platform::Image image = instalator::platform::DecodeBmp(std::span(data, size));
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
            std::abort();
    } catch (const instalator::platform::ImageError&) {
    }
    return 0;
}
