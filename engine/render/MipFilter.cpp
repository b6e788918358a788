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

struct SrgbTable {
    float decoded[256];
    SrgbTable()
    {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            decoded[i] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
    }
};

const SrgbTable& Srgb()
{
    static const SrgbTable table;
    return table;
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
    const float scale = layout.bytesPerChannel == 1 ? 255.0f : 65535.0f;
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
                            for (uint32_t c = 0; c < layout.channels; ++c) {
                                const uint32_t value = ReadChannel(in + c * layout.bytesPerChannel, layout.bytesPerChannel);
                                sum[c] += weight * ((layout.srgbMask >> c & 1) ? decoded[value] : value / scale);
                            }
                        }
                    }
                }
                for (uint32_t c = 0; c < layout.channels; ++c) {
                    if (layout.srgbMask >> c & 1) {
                        out[c] = EncodeSrgb(sum[c]);
                        continue;
                    }
                    const float clamped = sum[c] < 0.0f ? 0.0f : sum[c] > 1.0f ? 1.0f : sum[c];
                    const uint32_t value = static_cast<uint32_t>(std::lround(clamped * scale));
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
