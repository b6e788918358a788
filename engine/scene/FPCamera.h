#pragma once
#include "engine/scene/Camera.h"

namespace zen {

// A first-person camera ("ZEN.FPCamera"): a camera with two parameters and a flag for the code
// that steers it (defaults 1 and 3, false). This class only keeps and streams them, after the
// camera's fields.
class FPCamera : public Camera {
    ZEN_DECLARE_CLASS

public:
    FPCamera() = default;

    float FirstParameter() const { return m_first; }
    float SecondParameter() const { return m_second; }
    bool Flag() const { return m_flag; }
    void SetParameters(float first, float second, bool flag)
    {
        m_first = first;
        m_second = second;
        m_flag = flag;
    }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    float m_first = 1.0f;
    float m_second = 3.0f;
    bool m_flag = false;
};

}  // namespace zen
