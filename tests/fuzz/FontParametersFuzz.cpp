// Arbitrary bytes as a font parameter file, for a texture whose size comes from the first four
// bytes: the line reader and the pattern reads must take anything, and every table value must
// come out finite (absurd pixel numbers stay numbers).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/text/FontMetrics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const uint32_t width = (data[0] | data[1] << 8) % 4097;
    const uint32_t height = (data[2] | data[3] << 8) % 4097;
    static zen::FontMetrics metrics;
    (void)metrics.Parse(reinterpret_cast<const char*>(data + 4), static_cast<uint32_t>(size - 4), width, height);
    for (int c = 0; c < 256; ++c) {
        if (!std::isfinite(metrics.CharWidth(static_cast<uint8_t>(c), 0.04f, 0.0f)))
            std::abort();
        for (float value : metrics.texRect[c])
            if (!std::isfinite(value))
                std::abort();
    }
    return 0;
}
