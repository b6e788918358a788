#include "modules/directx9/D3D9Renderer.h"

#include <algorithm>

#include "engine/scene/DeviceLight.h"
#include "engine/scene/Light.h"

namespace zen {
namespace {

static_assert(sizeof(Matrix4) == sizeof(D3DMATRIX), "matrices go to the device as they are (row vectors)");

// DeviceLight::Type (1 point, 2 spot, 3 directional) to the device's light types.
constexpr D3DLIGHTTYPE kLightTypes[] = {D3DLIGHT_POINT, D3DLIGHT_SPOT, D3DLIGHT_DIRECTIONAL};
static_assert(sizeof kLightTypes / sizeof kLightTypes[0] == DeviceLight::kDirectional - DeviceLight::kPoint + 1,
              "one device light type per engine light type");

D3DCOLORVALUE ColorValue(const Vector4& color)
{
    return D3DCOLORVALUE{color.x, color.y, color.z, color.w};
}

D3DVECTOR DeviceVector(const Vector3& vector)
{
    return D3DVECTOR{vector.x, vector.y, vector.z};
}

D3DLIGHT9 ToDevice(const DeviceLight& light)
{
    D3DLIGHT9 result;
    ZeroMemory(&result, sizeof result);
    const int32_t index = static_cast<int32_t>(light.type) - DeviceLight::kPoint;
    result.Type = index >= 0 && index < 3 ? kLightTypes[index] : D3DLIGHT_DIRECTIONAL;
    result.Diffuse = ColorValue(light.diffuse);
    result.Specular = ColorValue(light.specular);
    result.Ambient = ColorValue(light.ambient);
    result.Position = DeviceVector(light.position);
    result.Direction = DeviceVector(light.direction);
    result.Range = light.range;
    result.Falloff = light.falloff;
    result.Attenuation0 = light.attenuation0;
    result.Attenuation1 = light.attenuation1;
    result.Attenuation2 = light.attenuation2;
    result.Theta = light.innerCone;
    result.Phi = light.outerCone;
    return result;
}

}  // namespace

// --- Transforms and viewport ----------------------------------------------------------------

void D3D9Renderer::SetWorld(const Matrix4& matrix)
{
    m_world = matrix;
    if (m_device)
        m_device->SetTransform(D3DTS_WORLD, reinterpret_cast<const D3DMATRIX*>(&m_world));
}

void D3D9Renderer::SetView(const Matrix4& matrix)
{
    m_view = matrix;
    if (m_device)
        m_device->SetTransform(D3DTS_VIEW, reinterpret_cast<const D3DMATRIX*>(&m_view));
}

void D3D9Renderer::SetProjection(const Matrix4& matrix)
{
    m_projection = matrix;
    if (m_device)
        m_device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&m_projection));
}

const Matrix4& D3D9Renderer::GetTextureTransform(uint32_t stage) const
{
    static const Matrix4 kIdentity;
    return stage < kTextureStages ? m_textureTransforms[stage] : kIdentity;
}

void D3D9Renderer::SetTextureTransform(uint32_t stage, const Matrix4& matrix, bool projected)
{
    if (stage >= kTextureStages)
        return;
    m_textureTransforms[stage] = matrix;
    if (!m_device)
        return;
    m_device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage),
                           reinterpret_cast<const D3DMATRIX*>(&m_textureTransforms[stage]));
    // Projected coordinates are divided by their last component; otherwise three are used.
    m_device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS,
                                   projected ? D3DTTFF_COUNT4 | D3DTTFF_PROJECTED : D3DTTFF_COUNT3);
}

void D3D9Renderer::SetViewport(float x, float y, float width, float height)
{
    auto pixels = [](float value) -> DWORD { return value > 0.0f ? static_cast<DWORD>(value) : 0; };
    m_viewport.X = pixels(x);
    m_viewport.Y = pixels(y);
    m_viewport.Width = pixels(width);
    m_viewport.Height = pixels(height);
    m_viewport.MinZ = 0.0f;
    m_viewport.MaxZ = 1.0f;
    if (m_device)
        m_device->SetViewport(&m_viewport);
}

void D3D9Renderer::SetGammaRamp(const uint16_t* ramp)
{
    if (!ramp || !m_device)
        return;
    // The ramp is the whole screen's, and nothing puts the desktop's back when the device goes:
    // keep it before the first change so that releasing the device can restore it.
    if (!m_desktopRampKept) {
        if (HDC screen = GetDC(nullptr)) {
            m_desktopRampKept = GetDeviceGammaRamp(screen, &m_desktopRamp) != FALSE;
            ReleaseDC(nullptr, screen);
        }
    }
    D3DGAMMARAMP deviceRamp;
    static_assert(sizeof deviceRamp == 3 * 256 * sizeof(uint16_t), "red, green and blue, 256 entries each");
    std::copy(ramp, ramp + 256, deviceRamp.red);
    std::copy(ramp + 256, ramp + 512, deviceRamp.green);
    std::copy(ramp + 512, ramp + 768, deviceRamp.blue);
    m_device->SetGammaRamp(0, D3DSGR_CALIBRATE, &deviceRamp);
}


// --- Lights ---------------------------------------------------------------------------------

void D3D9Renderer::PushLight(Light* light)
{
    const uint32_t depth = StateDepth();
    if (!light || !m_device || depth == 0)
        return;
    if (depth == 1) {
        m_device->SetRenderState(D3DRS_LIGHTING, TRUE);
        m_device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    }
    const D3DLIGHT9 deviceLight = ToDevice(light->ToDeviceLight());
    m_device->SetLight(depth - 1, &deviceLight);
    m_device->LightEnable(depth - 1, TRUE);
}

void D3D9Renderer::PopState()
{
    if (!m_device)
        return;
    const uint32_t depth = StateDepth();
    m_device->LightEnable(depth, FALSE);
    if (depth == 0) {
        m_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        m_device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    }
}

}  // namespace zen
