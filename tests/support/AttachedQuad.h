#pragma once
#include <gtest/gtest.h>

#include "engine/scene/GeometryNodeEffect.h"
#include "support/SceneBuilder.h"

namespace zen::test {

// MakeQuad's square named `name` at `at` under `parent`, drawn with `effect` (none when null).
inline Ptr<Triangles> AttachQuad(SceneNode& parent, const char* name, const Vector3& at, GeometryNodeEffect* effect,
                                 float halfSize = 1.0f)
{
    Ptr<Triangles> quad = MakeQuad(name, halfSize);
    Place(*quad, at);
    if (effect) {
        EXPECT_EQ(quad->SetEffect(effect), kSuccess) << name;
    }
    EXPECT_EQ(parent.AttachChild(quad.Get()), kSuccess) << name;
    return quad;
}

}  // namespace zen::test
