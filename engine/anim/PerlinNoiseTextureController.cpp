#include "engine/anim/PerlinNoiseTextureController.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Image.h"
#include "engine/scene/VolumeImage.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(PerlinNoiseTextureController, Controller, kStartupOtherClasses)

namespace {

constexpr double kPi = 3.14159265358979323846;

// The cosine weight of the fraction of `f` past its floor, and the two lattice indices around
// it (wrapped into 0..n-1).
struct Axis {
    float t;
    uint32_t i0, i1;
};

Axis AxisAt(float f, uint32_t n)
{
    const double floored = std::floor(static_cast<double>(f));
    const int64_t whole = static_cast<int64_t>(floored);
    const int64_t wrapped = ((whole % n) + n) % n;
    Axis axis;
    axis.t = static_cast<float>((1.0 - std::cos(kPi * (static_cast<double>(f) - floored))) * 0.5);
    axis.i0 = static_cast<uint32_t>(wrapped);
    axis.i1 = static_cast<uint32_t>((wrapped + 1) % n);
    return axis;
}

uint32_t Wrap(int64_t index, uint32_t n)
{
    return static_cast<uint32_t>(((index % n) + n) % n);
}

template <class T>
bool Resize(std::vector<T>& values, size_t count)
{
    try {
        values.assign(count, T());
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace

bool PerlinNoiseTextureController::CheckParameters(bool volume)
{
    const int32_t maxLattice = volume ? kMaxVolumeLatticeSize : kMaxLatticeSize;
    if (m_latticeSize <= 0 || m_latticeSize > maxLattice || m_octaves < 0 || m_octaves > kMaxOctaves ||
        !std::isfinite(m_persistence)) {
        Error("Неверные параметры шума: решётка %d, октав %d. Имя[%s] ID[%d]", m_latticeSize, m_octaves,
              m_name.CStr(), ID());
        return false;
    }
    return true;
}

bool PerlinNoiseTextureController::ComputeFlat(uint32_t width, uint32_t height, uint32_t seed,
                                               std::vector<float>& out)
{
    if (!CheckParameters(false) || width == 0 || height == 0)
        return false;
    const uint32_t n = static_cast<uint32_t>(m_latticeSize);
    std::vector<float> lattice;
    std::vector<float> values;
    if (!Resize(lattice, size_t(n) * n) || !Resize(values, size_t(width) * height)) {
        Error("Недостаточно памяти для генерации текстуры. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return false;
    }
    for (uint32_t y = 0; y < n; ++y)
        for (uint32_t x = 0; x < n; ++x)
            lattice[size_t(y) * n + x] = NoiseHash(x + 57u * y + 131u * seed);
    // One smoothing pass in place: later cells see the already smoothed earlier ones.
    auto at = [&](int64_t x, int64_t y) -> float& { return lattice[size_t(Wrap(y, n)) * n + Wrap(x, n)]; };
    for (int64_t y = 0; y < n; ++y)
        for (int64_t x = 0; x < n; ++x) {
            const float corners = at(x - 1, y - 1) + at(x + 1, y - 1) + at(x - 1, y + 1) + at(x + 1, y + 1);
            const float sides = at(x - 1, y) + at(x + 1, y) + at(x, y - 1) + at(x, y + 1);
            at(x, y) = corners / 16 + sides / 8 + at(x, y) / 4;
        }
    const float sx = static_cast<float>(n) / static_cast<float>(width);
    const float sy = static_cast<float>(n) / static_cast<float>(height);
    float amplitude = 1;
    float frequency = 1;
    for (int32_t octave = 0; octave < m_octaves; ++octave) {
        for (uint32_t y = 0; y < height; ++y) {
            const Axis ay = AxisAt(static_cast<float>(y) * frequency * sy, n);
            const float* row0 = &lattice[size_t(ay.i0) * n];
            const float* row1 = &lattice[size_t(ay.i1) * n];
            for (uint32_t x = 0; x < width; ++x) {
                const Axis ax = AxisAt(static_cast<float>(x) * frequency * sx, n);
                const float v = ((1 - ax.t) * row0[ax.i0] + ax.t * row0[ax.i1]) * (1 - ay.t) +
                                ((1 - ax.t) * row1[ax.i0] + ax.t * row1[ax.i1]) * ay.t;
                float& sum = values[size_t(y) * width + x];
                sum += amplitude * v;
                sum = sum < -1 ? -1 : (sum > 1 ? 1 : sum);
            }
        }
        amplitude *= m_persistence;
        frequency *= 2;
    }
    float low = values[0], high = values[0];
    for (const float v : values) {
        low = v < low ? v : low;
        high = v > high ? v : high;
    }
    Error("Min[%.3f] Max[%.3f]", low, high);
    for (float& v : values)
        v = (v + 1) / 2;
    out.swap(values);
    return true;
}

bool PerlinNoiseTextureController::ComputeVolume(uint32_t width, uint32_t height, uint32_t depth, uint32_t seed,
                                                 std::vector<float>& out)
{
    if (!CheckParameters(true) || width == 0 || height == 0 || depth == 0)
        return false;
    const uint32_t n = static_cast<uint32_t>(m_latticeSize);
    const size_t count = size_t(width) * height * depth;
    std::vector<float> lattice;
    std::vector<float> values;
    std::vector<float> smoothed;
    if (!Resize(lattice, size_t(n) * n * n) || !Resize(values, count)) {
        Error("Недостаточно памяти для генерации текстуры. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return false;
    }
    for (uint32_t z = 0; z < n; ++z)
        for (uint32_t y = 0; y < n; ++y)
            for (uint32_t x = 0; x < n; ++x)
                lattice[(size_t(z) * n + y) * n + x] = NoiseHash(x + 57u * y + 131u * z + 295u * seed);
    auto cell = [&](uint32_t x, uint32_t y, uint32_t z) { return lattice[(size_t(z) * n + y) * n + x]; };
    const float sx = static_cast<float>(n) / static_cast<float>(width);
    const float sy = static_cast<float>(n) / static_cast<float>(height);
    const float sz = static_cast<float>(n) / static_cast<float>(depth);
    float amplitude = 1;
    float frequency = 1;
    for (int32_t octave = 0; octave < m_octaves; ++octave) {
        for (uint32_t z = 0; z < depth; ++z) {
            const Axis az = AxisAt(static_cast<float>(z) * frequency * sz, n);
            for (uint32_t y = 0; y < height; ++y) {
                const Axis ay = AxisAt(static_cast<float>(y) * frequency * sy, n);
                for (uint32_t x = 0; x < width; ++x) {
                    const Axis ax = AxisAt(static_cast<float>(x) * frequency * sx, n);
                    auto plane = [&](uint32_t zi) {
                        const float a = (1 - ax.t) * cell(ax.i0, ay.i0, zi) + ax.t * cell(ax.i1, ay.i0, zi);
                        const float b = (1 - ax.t) * cell(ax.i0, ay.i1, zi) + ax.t * cell(ax.i1, ay.i1, zi);
                        return a * (1 - ay.t) + b * ay.t;
                    };
                    const float v = plane(az.i0) * (1 - az.t) + plane(az.i1) * az.t;
                    values[(size_t(z) * height + y) * width + x] += amplitude * v;
                }
            }
        }
        amplitude *= m_persistence;
        frequency *= 2;
    }
    float low = values[0], high = values[0];
    for (const float v : values) {
        low = v < low ? v : low;
        high = v > high ? v : high;
    }
    Error("Min[%.3f] Max[%.3f]", low, high);
    // A field of one value has no range to stretch: it maps to 0 rather than to 0/0.
    const float range = high - low;
    for (float& v : values)
        v = range > 0 ? (v - low) / range : 0.0f;
    // Five smoothing passes in place, every index wrapping on all three axes.
    auto at = [&](int64_t x, int64_t y, int64_t z) {
        return values[(size_t(Wrap(z, depth)) * height + Wrap(y, height)) * width + Wrap(x, width)];
    };
    for (int pass = 0; pass < 5; ++pass)
        for (int64_t z = 0; z < depth; ++z)
            for (int64_t y = 0; y < height; ++y)
                for (int64_t x = 0; x < width; ++x) {
                    float faces = 0, edges = 0, corners = 0;
                    for (int dz = -1; dz <= 1; ++dz)
                        for (int dy = -1; dy <= 1; ++dy)
                            for (int dx = -1; dx <= 1; ++dx) {
                                const int away = (dx != 0) + (dy != 0) + (dz != 0);
                                if (away == 0)
                                    continue;
                                const float v = at(x + dx, y + dy, z + dz);
                                if (away == 1)
                                    faces += v;
                                else if (away == 2)
                                    edges += v;
                                else
                                    corners += v;
                            }
                    float& self = values[(size_t(z) * height + y) * width + x];
                    self = self / 8 + faces / 12 + edges / 48 + corners / 64;
                }
    out.swap(values);
    return true;
}

bool PerlinNoiseTextureController::Generate(Image& image, bool volume)
{
    const uint32_t seed = static_cast<uint32_t>(std::rand());
    const uint32_t width = image.Width();
    const uint32_t height = image.Height();
    const uint32_t depth = volume ? image.Depth() : 1;
    std::vector<float> values;
    const bool computed =
        volume ? ComputeVolume(width, height, depth, seed, values) : ComputeFlat(width, height, seed, values);
    if (!computed)
        return true;  // Refused parameters stay refused: logged once, not every frame.
    const uint32_t bytes = Image::BytesPerPixel(image.Format());
    std::unique_ptr<uint8_t[]> block = NewBlock(bytes * width * height * depth);
    if (!block)
        return true;
    const float color[4] = {m_color.x, m_color.y, m_color.z, m_color.w};
    uint8_t* out = block.get();
    for (const float v : values)
        for (uint32_t c = 0; c < bytes; ++c)
            *out++ = LowByte(static_cast<double>(v) * color[ColorComponent(c, bytes)] * 255.0);
    Result replaced;
    if (volume)
        replaced = static_cast<VolumeImage&>(image).SetPixels(image.Format(), width, height, depth, std::move(block));
    else
        replaced = image.SetPixels(image.Format(), width, height, std::move(block));
    (void)replaced;
    return true;
}

Result PerlinNoiseTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteBool(m_regenerate);
    stream.WriteVector4(m_color);
    stream.WriteInt(m_octaves);
    stream.WriteInt(m_latticeSize);
    stream.WriteFloat(m_persistence);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные генерации. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result PerlinNoiseTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    stream.ReadBool(m_regenerate);
    stream.ReadVector4(m_color);
    stream.ReadInt(m_octaves);
    stream.ReadInt(m_latticeSize);
    stream.ReadFloat(m_persistence);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные генерации. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
