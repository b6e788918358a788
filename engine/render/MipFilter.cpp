#include "engine/render/MipFilter.h"

#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace zen {
namespace {

// The source texels one target texel covers along an axis, with their weights (summing to 1).
struct Tap {
    uint32_t first;
    uint32_t count;
    float weights[4];  // A target texel never covers more than 4 texels of a level twice its size.
};

// Area weights for `target` texels over `source` (target <= source): texel i covers
// [i * source / target, (i + 1) * source / target) of the source.
bool BuildTaps(uint32_t source, uint32_t target, std::vector<Tap>& taps)
{
    const double scale = static_cast<double>(source) / target;
    if (scale > 3.0)
        return false;  // One level down is never more than halving (plus one for odd sizes).
    taps.resize(target);
    for (uint32_t i = 0; i < target; ++i) {
        const double start = i * scale, end = (i + 1) * scale;
        Tap& tap = taps[i];
        tap.first = static_cast<uint32_t>(std::floor(start));
        tap.count = 0;
        for (uint32_t s = tap.first; s < source && s < end && tap.count < 4; ++s) {
            const double overlap = std::fmin(end, s + 1.0) - std::fmax(start, static_cast<double>(s));
            tap.weights[tap.count++] = static_cast<float>(overlap / scale);
        }
    }
    return true;
}

// The curve both ways. Encoding is monotonic in its argument, so each 8-bit result v begins at a
// least linear value: `starts[v]`, found once by bisection over the float bit patterns of
// [0, 1] with the exact encoder, and each of 4096 equal buckets of [0, 1] starts at a known
// code. Encoding a texel is then a look-up and a comparison or two instead of a pow (the pow per
// channel per texel was most of the upload's filtering time, above all with the Windows runtime's
// pow), with results identical to EncodeSrgb for every float.
struct SrgbTable {
    float decoded[256];
    float stored[256];  // 8-bit values as stored, scaled to [0, 1].
    float starts[256];  // starts[0] unused.
    static constexpr uint32_t kBuckets = 4096;
    uint8_t firstCode[kBuckets];  // The code of bucket b's least value, b / kBuckets.
    SrgbTable()
    {
        for (int i = 0; i < 256; ++i) {
            stored[i] = static_cast<float>(i) / 255.0f;
            const double c = i / 255.0;
            decoded[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        starts[0] = 0.0f;
        uint32_t low = 0;  // Bits of a float whose code is below the value searched for.
        for (int v = 1; v < 256; ++v) {
            uint32_t high = 0x3F800000u;  // 1.0f encodes as 255: always at or above v.
            while (high - low > 1) {
                const uint32_t middle = low + (high - low) / 2;
                if (MipFilter::EncodeSrgb(FromBits(middle)) >= v)
                    high = middle;
                else
                    low = middle;
            }
            starts[v] = FromBits(high);
        }
        for (uint32_t b = 0; b < kBuckets; ++b)
            firstCode[b] = MipFilter::EncodeSrgb(static_cast<float>(b) / kBuckets);
    }
    static float FromBits(uint32_t bits)
    {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
};

const SrgbTable& Srgb()
{
    static const SrgbTable table;
    return table;
}

uint8_t EncodeByTable(const SrgbTable& table, float linear)
{
    // The number of starts at or below `linear` (NaN, like values below 0, gives 0), counted
    // on from the code where its bucket begins (a step or two at most; the bucket's least
    // value, exact in float, is never above `linear`).
    if (!(linear > 0.0f))
        return 0;
    if (linear >= 1.0f)
        return 255;
    uint32_t code = table.firstCode[static_cast<uint32_t>(linear * SrgbTable::kBuckets)];
    while (code < 255 && linear >= table.starts[code + 1])
        ++code;
    return static_cast<uint8_t>(code);
}

uint32_t ReadChannel(const uint8_t* at, uint32_t bytes)
{
    return bytes == 1 ? at[0] : static_cast<uint32_t>(at[0] | at[1] << 8);
}

}  // namespace

float MipFilter::DecodeSrgb(uint8_t value)
{
    return Srgb().decoded[value];
}

uint8_t MipFilter::EncodeSrgbByTable(float linear)
{
    return EncodeByTable(Srgb(), linear);
}

uint8_t MipFilter::EncodeSrgb(float linear)
{
    const double c = linear <= 0.0f ? 0.0 : linear >= 1.0f ? 1.0 : linear;
    const double encoded = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    return static_cast<uint8_t>(std::lround(encoded * 255.0));
}

Result MipFilter::Reduce(const Layout& layout, const Level& source, const Level& target)
{
    if (layout.channels < 1 || layout.channels > 4 || (layout.bytesPerChannel != 1 && layout.bytesPerChannel != 2) ||
        (layout.srgbMask && layout.bytesPerChannel != 1) || (layout.srgbMask >> layout.channels))
        return kInvalidArgument;
    const size_t texel = size_t{layout.channels} * layout.bytesPerChannel;
    for (const Level* level : {&source, &target})
        if (!level->bits || !level->width || !level->height || !level->depth ||
            level->rowPitch < texel * level->width ||
            (level->depth > 1 && level->slicePitch < level->rowPitch * level->height))
            return kInvalidArgument;
    if (target.width > source.width || target.height > source.height || target.depth > source.depth)
        return kInvalidArgument;

    std::vector<Tap> across, down, deep;
    try {
        if (!BuildTaps(source.width, target.width, across) || !BuildTaps(source.height, target.height, down) ||
            !BuildTaps(source.depth, target.depth, deep))
            return kInvalidArgument;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    const float* decoded = Srgb().decoded;
    const SrgbTable& table = Srgb();
    const float scale = layout.bytesPerChannel == 1 ? 255.0f : 65535.0f;
    const float* channelTables[4];  // 8-bit channels: each value's contribution, looked up.
    for (uint32_t c = 0; c < 4; ++c)
        channelTables[c] = (layout.srgbMask >> c & 1) ? decoded : Srgb().stored;
    for (uint32_t z = 0; z < target.depth; ++z) {
        for (uint32_t y = 0; y < target.height; ++y) {
            uint8_t* out = target.bits + z * target.slicePitch + y * target.rowPitch;
            for (uint32_t x = 0; x < target.width; ++x, out += texel) {
                float sum[4] = {0, 0, 0, 0};
                const Tap &tz = deep[z], &ty = down[y], &tx = across[x];
                for (uint32_t k = 0; k < tz.count; ++k) {
                    for (uint32_t j = 0; j < ty.count; ++j) {
                        const uint8_t* row = source.bits + (tz.first + k) * source.slicePitch + (ty.first + j) * source.rowPitch;
                        const float rowWeight = tz.weights[k] * ty.weights[j];
                        for (uint32_t i = 0; i < tx.count; ++i) {
                            const uint8_t* in = row + (tx.first + i) * texel;
                            const float weight = rowWeight * tx.weights[i];
                            if (layout.bytesPerChannel == 1) {
                                for (uint32_t c = 0; c < layout.channels; ++c)
                                    sum[c] += weight * channelTables[c][in[c]];
                                continue;
                            }
                            for (uint32_t c = 0; c < layout.channels; ++c) {
                                const uint32_t value = ReadChannel(in + c * layout.bytesPerChannel, layout.bytesPerChannel);
                                sum[c] += weight * ((layout.srgbMask >> c & 1) ? decoded[value] : value / scale);
                            }
                        }
                    }
                }
                for (uint32_t c = 0; c < layout.channels; ++c) {
                    if (layout.srgbMask >> c & 1) {
                        out[c] = EncodeByTable(table, sum[c]);
                        continue;
                    }
                    const float clamped = sum[c] < 0.0f ? 0.0f : sum[c] > 1.0f ? 1.0f : sum[c];
                    // lround of a value in [0, 65535], exactly (the sum is exact in double).
                    const uint32_t value = static_cast<uint32_t>(static_cast<double>(clamped * scale) + 0.5);
                    out[c * layout.bytesPerChannel] = static_cast<uint8_t>(value);
                    if (layout.bytesPerChannel == 2)
                        out[c * 2 + 1] = static_cast<uint8_t>(value >> 8);
                }
            }
        }
    }
    return kSuccess;
}

}  // namespace zen
