#pragma once
#include <gtest/gtest.h>

#include <string>

#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

namespace zen::test {

// Each component of `actual` within `tolerance` of `expected`'s.
inline void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f,
                       const std::string& what = {})
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

// The same for four components (w too unless `withW` is false).
inline void ExpectNear(const Vector4& actual, const Vector4& expected, float tolerance, const std::string& what,
                       bool withW = true)
{
    ExpectNear(Vector3{actual.x, actual.y, actual.z}, Vector3{expected.x, expected.y, expected.z}, tolerance, what);
    if (withW) {
        EXPECT_NEAR(actual.w, expected.w, tolerance) << what;
    }
}

}  // namespace zen::test
