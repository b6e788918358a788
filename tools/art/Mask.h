#pragma once
#include <functional>
#include <vector>

#include "tools/art/Path.h"

namespace zen::art {

// Coverage of a picture by shapes: one value per pixel, 0 (outside) to 1 (inside), with
// anti-aliased edges. Filled paths get their exact area coverage (signed-area accumulation,
// non-zero winding); strokes are the union of round-capped segments, measured by distance to the
// pixel centre. Masks are combined, blurred and shifted to build outlines, glows and shadows,
// then laid onto a Canvas with a colour or paint.
class Mask {
public:
    // How new coverage meets what the mask already holds.
    enum class Op {
        kUnion,      // max(old, new)
        kAdd,        // min(1, old + new)
        kSubtract,   // old × (1 − new)
        kIntersect,  // old × new
    };

    Mask(int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Coverage at a pixel; 0 outside the mask.
    float At(int x, int y) const;
    float* Row(int y) { return &m_values[static_cast<size_t>(y) * static_cast<size_t>(m_width)]; }
    const float* Row(int y) const { return &m_values[static_cast<size_t>(y) * static_cast<size_t>(m_width)]; }

    // Shapes
    void FillPath(const Path& path, Op op = Op::kUnion);
    // Every contour as an open polyline of the given width (pixels), round caps and joins; a
    // contour of one point is a dot. Widths below a pixel fade instead of thinning further.
    void StrokePath(const Path& path, float width, Op op = Op::kUnion);

    // Whole-mask operations
    void Combine(const Mask& other, Op op);
    // Gaussian blur with standard deviation `sigma` pixels; outside the mask counts as empty.
    void Blur(float sigma);
    // The mask moved by whole pixels (what moves in from outside is empty).
    Mask Shifted(int dx, int dy) const;
    // Each value replaced by f(x, y, value) (clamped to 0..1).
    void Apply(const std::function<float(int x, int y, float value)>& f);
    void Scale(float factor);
    void Clear() { std::fill(m_values.begin(), m_values.end(), 0.0f); }

private:
    void CombineRegion(const std::vector<float>& region, int left, int top, int width, int height, Op op);

    int m_width;
    int m_height;
    std::vector<float> m_values;  // Rows top-down, m_width per row.
};

}  // namespace zen::art
