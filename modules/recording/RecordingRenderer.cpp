#include "modules/recording/RecordingRenderer.h"

#include <cstdarg>
#include <cstdio>
#include <new>

#include "engine/core/Engine.h"
#include "engine/core/Startup.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/scene/CubeTexture.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"

namespace zen {
namespace {

RecordingRenderer::Setup& PendingSetup()
{
    static RecordingRenderer::Setup setup;
    static bool initialised = false;
    if (!initialised) {
        initialised = true;
        RecordingRenderer::ResetNextSetup();
    }
    return setup;
}

String& StandInName()
{
    static String name;
    return name;
}

RecordingRenderer* g_latest = nullptr;  // Not owned; cleared by its destructor.

Result RegisterRecordingModules()
{
    const auto create = reinterpret_cast<ModuleEntry>(static_cast<CreateRendererFunction>(&RecordingRenderer::Create));
    if (RegisterStaticModule("Recording", "CreateRenderer", create) != kSuccess)
        return kFailure;
    if (!StandInName().IsEmpty())
        return RegisterStaticModule(StandInName().CStr(), "CreateRenderer", create);
    return kSuccess;
}

EnginePostInitRegistration s_registerRecording ZEN_STARTUP(kStartupModuleTesting)(&RegisterRecordingModules);

std::string FormatMatrix(const Matrix4& matrix)
{
    std::string text;
    char number[32];
    for (int row = 0; row < 4; ++row) {
        text += row == 0 ? "[" : " |";
        for (int column = 0; column < 4; ++column) {
            std::snprintf(number, sizeof number, " %g", matrix.m[row][column]);
            text += number;
        }
    }
    text += " ]";
    return text;
}

}  // namespace

RecordingRenderer::Setup& RecordingRenderer::NextSetup()
{
    return PendingSetup();
}

void RecordingRenderer::ResetNextSetup()
{
    Setup& setup = PendingSetup();
    setup = Setup{};
    DisplayMode small{800, 600, 32, 0, 24, 8, 0, true};
    DisplayMode desktop{1024, 768, 32, 0, 24, 8, 0, true};
    setup.modes = {small, desktop};
    setup.desktopMode = 1;
    RendererCapabilities& capabilities = setup.capabilities;
    capabilities.valid = true;
    capabilities.vertexShaderVersion = 20;
    capabilities.pixelShaderVersion = 20;
    capabilities.simultaneousTextures = 8;
    capabilities.maxActiveLights = 8;
    capabilities.volumeTextures = capabilities.cubeTextures = capabilities.projectedTextures = true;
    capabilities.pointSprites = capabilities.occlusionQuery = true;
}

void RecordingRenderer::StandInFor(const String& moduleName)
{
    StandInName() = moduleName;
}

Result RecordingRenderer::Create(Renderer** out)
{
    if (!out)
        return kInvalidArgument;
    RecordingRenderer* renderer = new (std::nothrow) RecordingRenderer(PendingSetup());
    if (!renderer)
        return kOutOfMemory;
    *out = renderer;
    return kSuccess;
}

RecordingRenderer* RecordingRenderer::Latest()
{
    return g_latest;
}

RecordingRenderer::RecordingRenderer(const Setup& setup) : m_setup(setup)
{
    for (const DisplayMode& mode : m_setup.modes)
        (void)AddDisplayMode(mode);
    SetDesktopModeIndex(m_setup.desktopMode);
    // Known from the start, so effects choose their techniques without a device.
    SetCapabilities(m_setup.capabilities);
    g_latest = this;
}

RecordingRenderer::~RecordingRenderer()
{
    if (Window())
        (void)Close();
    if (g_latest == this)
        g_latest = nullptr;
}

void RecordingRenderer::Record(const char* format, ...)
{
    if (!m_journaling)
        return;
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    m_journal.emplace_back(line);
}

std::string RecordingRenderer::Tag(const void* object)
{
    if (!m_journaling)
        return std::string();
    if (!object)
        return "null";
    size_t index = 0;
    while (index < m_seen.size() && m_seen[index] != object)
        ++index;
    if (index == m_seen.size())
        m_seen.push_back(object);
    char tag[24];
    std::snprintf(tag, sizeof tag, "#%zu", index + 1);
    return tag;
}

void RecordingRenderer::RecordStream(const char* kind, const void* buffer, uint32_t stream)
{
    Record("SetStream %s %s %u", kind, Tag(buffer).c_str(), stream);
}

// --- Device -------------------------------------------------------------------------------------

Result RecordingRenderer::CreateDevice(uint32_t modeIndex, uint32_t width, uint32_t height)
{
    Record("CreateDevice %u %u %u", modeIndex, width, height);
    const DisplayMode* mode = GetDisplayMode(modeIndex);
    if (!mode)
        return kInvalidArgument;
    if (m_setup.createDeviceResult != kSuccess)
        return m_setup.createDeviceResult;
    m_device = true;
    (void)m_bindings.BeginPass();  // A new device holds nothing.
    m_bound = DrawBindings{};
    m_viewportWidth = mode->fullscreen ? mode->width : width;
    m_viewportHeight = mode->fullscreen ? mode->height : height;
    return kSuccess;
}

void RecordingRenderer::ReleaseDevice()
{
    Record("ReleaseDevice");
    m_device = false;
}

void RecordingRenderer::ReleaseBuffer(Buffer* buffer) { Record("ReleaseBuffer %s", Tag(buffer).c_str()); }
void RecordingRenderer::ReleaseTexture(BaseTexture* texture) { Record("ReleaseTexture %s", Tag(texture).c_str()); }
void RecordingRenderer::ReleaseShader(Shader* shader) { Record("ReleaseShader %s", Tag(shader).c_str()); }
void RecordingRenderer::ReleasePass(Pass* pass) { Record("ReleasePass %s", Tag(pass).c_str()); }
void RecordingRenderer::ReleaseQuery(OcclusionQuery* query) { Record("ReleaseQuery %s", Tag(query).c_str()); }

void RecordingRenderer::BeginOcclusionQuery(OcclusionQuery* query)
{
    Record("BeginOcclusionQuery %s", Tag(query).c_str());
}

void RecordingRenderer::EndOcclusionQuery(OcclusionQuery* query)
{
    Record("EndOcclusionQuery %s", Tag(query).c_str());
}

void RecordingRenderer::SetTexture(uint32_t stage, BaseTexture* texture)
{
    if (stage < StageBindings::kStages) {
        m_bound.textures[stage] = texture;
        m_bindings.BindTexture(stage, texture != nullptr);
    }
    Record("SetTexture %u %s", stage, Tag(texture).c_str());
}

void RecordingRenderer::SetVertexShader(VertexShader* shader)
{
    m_bound.vertexShader = shader;
    Record("SetVertexShader %s", Tag(shader).c_str());
}

void RecordingRenderer::SetPixelShader(PixelShader* shader)
{
    m_bound.pixelShader = shader;
    m_bindings.BindPixelShader(shader != nullptr);
    Record("SetPixelShader %s", Tag(shader).c_str());
}

void RecordingRenderer::SetVertexShaderConstants(uint32_t firstRegister, const float* values, uint32_t count)
{
    KeepConstants(m_vertexConstants, firstRegister, values, count);
    Record("SetVertexShaderConstants %u %u", firstRegister, count);
}

void RecordingRenderer::SetPixelShaderConstants(uint32_t firstRegister, const float* values, uint32_t count)
{
    KeepConstants(m_pixelConstants, firstRegister, values, count);
    Record("SetPixelShaderConstants %u %u", firstRegister, count);
}

void RecordingRenderer::KeepConstants(Vector4* registers, uint32_t first, const float* values, uint32_t count)
{
    for (uint32_t i = 0; values && i < count && first + i < kConstantRegisters; ++i)
        registers[first + i] = Vector4{values[i * 4], values[i * 4 + 1], values[i * 4 + 2], values[i * 4 + 3]};
}

Vector4 RecordingRenderer::VertexConstant(uint32_t index) const
{
    return index < kConstantRegisters ? m_vertexConstants[index] : Vector4{};
}

Vector4 RecordingRenderer::PixelConstant(uint32_t index) const
{
    return index < kConstantRegisters ? m_pixelConstants[index] : Vector4{};
}

void RecordingRenderer::SetStream(FloatBuffer* buffer, uint32_t stream) { RecordStream("Float", buffer, stream); }
void RecordingRenderer::SetStream(Vector2Buffer* buffer, uint32_t stream) { RecordStream("Vector2", buffer, stream); }
void RecordingRenderer::SetStream(Vector3Buffer* buffer, uint32_t stream) { RecordStream("Vector3", buffer, stream); }
void RecordingRenderer::SetStream(Vector4Buffer* buffer, uint32_t stream) { RecordStream("Vector4", buffer, stream); }
void RecordingRenderer::SetStream(ColorBuffer* buffer, uint32_t stream) { RecordStream("Color", buffer, stream); }
void RecordingRenderer::SetStream(IntBuffer* buffer, uint32_t stream) { RecordStream("Int", buffer, stream); }
void RecordingRenderer::SetStream(Buffer* buffer, uint32_t stream) { RecordStream("Buffer", buffer, stream); }

void RecordingRenderer::SetIndices(IntBuffer* indices) { Record("SetIndices %s", Tag(indices).c_str()); }
void RecordingRenderer::SetPass(Pass* pass)
{
    (void)m_bindings.BeginPass();
    m_bound = DrawBindings{};
    Record("SetPass %s", Tag(pass).c_str());
}

void RecordingRenderer::RecordDraw()
{
    ++m_drawCount;
    if (!m_journaling)
        return;
    m_bound.cascade = m_bindings.EndOfCascade();
    m_draws.push_back(m_bound);
}
void RecordingRenderer::DrawCurrentGeometry()
{
    RecordDraw();
    const GeometryNode* node = CurrentGeometry();
    if (!node) {
        Record("DrawCurrentGeometry none");
        return;
    }
    Record("DrawCurrentGeometry [%s] %u", node->Name().CStr(), node->PrimitiveCount());
}

void RecordingRenderer::DrawGeometry(GeometryNode* node)
{
    RecordDraw();
    Record("DrawGeometry %s", Tag(node).c_str());
}

void RecordingRenderer::DrawNonIndexed(uint32_t primitiveCount)
{
    RecordDraw();
    Record("DrawNonIndexed %u", primitiveCount);
}

void RecordingRenderer::Clear(uint32_t flags, const Vector4& color, float depth, uint32_t stencil)
{
    if (flags & kClearColor)
        m_clearColor = color;
    Record("Clear %u (%g %g %g %g) %g %u", flags, color.x, color.y, color.z, color.w, depth, stencil);
}

Result RecordingRenderer::BeginFrame()
{
    if (m_setup.skippedFrames > 0) {
        --m_setup.skippedFrames;
        Record("BeginFrame skipped");
        return kFailure;
    }
    if (m_frameResult != kSuccess) {
        Record("BeginFrame failed %d", m_frameResult);
        return m_frameResult;
    }
    Record("BeginFrame");
    return kSuccess;
}

void RecordingRenderer::EndFrame() { Record("EndFrame"); }

void RecordingRenderer::SetWorld(const Matrix4& matrix)
{
    m_world = matrix;
    if (m_journaling)
        Record("SetWorld %s", FormatMatrix(matrix).c_str());
}

void RecordingRenderer::SetView(const Matrix4& matrix)
{
    m_view = matrix;
    if (m_journaling)
        Record("SetView %s", FormatMatrix(matrix).c_str());
}

void RecordingRenderer::SetProjection(const Matrix4& matrix)
{
    m_projection = matrix;
    if (m_journaling)
        Record("SetProjection %s", FormatMatrix(matrix).c_str());
}

const Matrix4& RecordingRenderer::GetTextureTransform(uint32_t stage) const
{
    static const Matrix4 kIdentity;
    return stage < kTextureStages ? m_textureTransforms[stage] : kIdentity;
}

void RecordingRenderer::SetTextureTransform(uint32_t stage, const Matrix4& matrix, bool projected)
{
    if (stage < kTextureStages)
        m_textureTransforms[stage] = matrix;
    if (m_journaling)
        Record("SetTextureTransform %u %s %s", stage, projected ? "projected" : "count3",
               FormatMatrix(matrix).c_str());
}

void RecordingRenderer::PushLight(Light* light)
{
    Record("PushLight %s depth %u", Tag(light).c_str(), StateDepth());
}

void RecordingRenderer::PopState() { Record("PopState depth %u", StateDepth()); }

void RecordingRenderer::BeginRenderTarget(Texture* texture)
{
    Record("BeginRenderTarget %s", Tag(texture).c_str());
    BindTarget(texture);
}

void RecordingRenderer::BeginRenderTarget(CubeTexture* texture, uint32_t face)
{
    Record("BeginRenderTarget %s face %u", Tag(texture).c_str(), face);
    BindTarget(texture);
}

void RecordingRenderer::BindTarget(BaseTexture* texture)
{
    m_inTarget = texture && m_device && !m_refuseTargets;
    // A device would hold the target now: the texture has a device copy until released.
    if (m_inTarget) {
        texture->Bind(this, 0, nullptr);
        texture->SetDirty(false);
    }
}

void RecordingRenderer::EndRenderTarget()
{
    m_inTarget = false;
    Record("EndRenderTarget");
}

void RecordingRenderer::SetViewport(float x, float y, float width, float height)
{
    m_viewportWidth = width > 0 ? static_cast<uint32_t>(width) : 0;
    m_viewportHeight = height > 0 ? static_cast<uint32_t>(height) : 0;
    Record("SetViewport %g %g %g %g", x, y, width, height);
}

void RecordingRenderer::SetGammaRamp(const uint16_t* ramp)
{
    if (!ramp) {
        Record("SetGammaRamp null");
        return;
    }
    Record("SetGammaRamp %u %u %u", ramp[0], ramp[128], ramp[255]);
}

void RecordingRenderer::ReleaseRenderState(RenderStateBlock* block)
{
    Record("ReleaseRenderState %s", Tag(block).c_str());
}

Result RecordingRenderer::ReadFrame(Image* image)
{
    if (!image)
        return kInvalidArgument;
    Record("ReadFrame %u %u", m_viewportWidth, m_viewportHeight);
    if (image->Allocate(Image::kR8G8B8, m_viewportWidth, m_viewportHeight) != kSuccess)
        return kFailure;
    auto channel = [](float value) {
        value = value != value ? 0.0f : value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
        return static_cast<uint8_t>(value * 255.0f + 0.5f);
    };
    const uint8_t rgb[3] = {channel(m_clearColor.x), channel(m_clearColor.y), channel(m_clearColor.z)};
    uint8_t* pixel = image->Data();
    for (uint64_t i = 0, count = uint64_t{m_viewportWidth} * m_viewportHeight; i < count; ++i, pixel += 3) {
        pixel[0] = rgb[0];
        pixel[1] = rgb[1];
        pixel[2] = rgb[2];
    }
    return kSuccess;
}

}  // namespace zen
