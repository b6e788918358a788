#pragma once
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

namespace zen {

// A 4x4 float matrix in the row-vector convention the renderer takes: a point is the row
// (x, y, z, 1) multiplied on the left, so p' = p * M, the translation sits in row 3, and
// A * B applies A first, then B (world * view * projection). Stored row by row, 64 bytes.
struct Matrix4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};  // Identity.

    static Matrix4 Identity() { return Matrix4{}; }

    // Rows (x, y, z, w) each.
    static Matrix4 FromRows(const Vector4& r0, const Vector4& r1, const Vector4& r2, const Vector4& r3)
    {
        Matrix4 result;
        const Vector4* rows[4] = {&r0, &r1, &r2, &r3};
        for (int i = 0; i < 4; ++i) {
            result.m[i][0] = rows[i]->x;
            result.m[i][1] = rows[i]->y;
            result.m[i][2] = rows[i]->z;
            result.m[i][3] = rows[i]->w;
        }
        return result;
    }

    Vector4 Row(int i) const { return {m[i][0], m[i][1], m[i][2], m[i][3]}; }

    // This matrix applied first, then `o`.
    Matrix4 operator*(const Matrix4& o) const
    {
        Matrix4 result;
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                result.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j] + m[i][3] * o.m[3][j];
        return result;
    }

    // The row vector v times this matrix.
    Vector4 Transform(const Vector4& v) const
    {
        return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + v.w * m[3][0],
                v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + v.w * m[3][1],
                v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + v.w * m[3][2],
                v.x * m[0][3] + v.y * m[1][3] + v.z * m[2][3] + v.w * m[3][3]};
    }
    // The point (p, 1) times this matrix, divided by the resulting w (a w of 0 divides by 1).
    Vector3 TransformPoint(const Vector3& p) const;

    Matrix4 Transposed() const;
    // The inverse, by cofactors in double precision. False (and `out` untouched) when the
    // matrix is singular or not finite.
    bool Inverse(Matrix4& out) const;

    friend bool operator==(const Matrix4& a, const Matrix4& b);
};

}  // namespace zen
