#include "engine/scene/PostRenderEffect.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/PostRenderPass.h"
#include "engine/scene/Technique.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(PostRenderEffect, SceneNodeEffect, kStartupSceneClasses)

const char* const PostRenderEffect::kQuadVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "def c8, 1, 0.5, 0, 0\n"
    "mov oPos.xy, v0\n"
    "mov oPos.zw, c8.zzzx\n"
    "add r0.x, v0.x, c8.x\n"
    "sub r0.y, c8.x, v0.y\n"
    "mul r0.xy, r0, c8.y\n"
    "add oT0.xy, r0, c1\n"
    "mov oD0, c0\n";

namespace {

enum : uint32_t { kTwoPassTechnique, kPlainTechnique };

}  // namespace

PostRenderEffect::PostRenderEffect(uint32_t vertexShaderVersion, uint32_t pixelShaderVersion)
{
    (void)AddTechnique(vertexShaderVersion, pixelShaderVersion);
    (void)AddTechnique(0, 0);
    m_screenQuad = PositionPass::CreateScreenQuad("Screen Quad");
}

PostRenderEffect::~PostRenderEffect()
{
    // The passes hold a plain pointer back here and may outlive this effect in a frame's list.
    for (uint32_t t = 0; t < TechniqueCount(); ++t)
        if (Technique* technique = GetTechnique(t))
            for (uint32_t p = 0; p < technique->PassCount(); ++p)
                if (Pass* pass = technique->GetPass(p))
                    static_cast<PostRenderPass*>(pass)->DetachEffect();
}

Result PostRenderEffect::CreatePasses(uint32_t technique, Technique& out)
{
    if (technique == kTwoPassTechnique) {
        Ptr<PostRenderPass> capture = new (std::nothrow) PostRenderPass(this, PostRenderPass::kCapture);
        Ptr<PostRenderPass> composite = new (std::nothrow) PostRenderPass(this, PostRenderPass::kComposite);
        if (!capture || !composite)
            return kOutOfMemory;
        const Result added = out.AddPass(capture.Get());
        return added == kSuccess ? out.AddPass(composite.Get()) : added;
    }
    Ptr<PostRenderPass> plain = new (std::nothrow) PostRenderPass(this, PostRenderPass::kPlain);
    return plain ? out.AddPass(plain.Get()) : kOutOfMemory;
}

bool PostRenderEffect::PrepareTarget(const Object& owner, Ptr<Texture>& texture, const char* imageName,
                                     const char* textureName, uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0 || width > kMaxTargetSide || height > kMaxTargetSide) {
        Error("Неверный размер текстуры [%s]: %ux%u. Имя[%s] ID[%d]", textureName, width, height, owner.Name().CStr(),
              owner.ID());
        return false;
    }
    const Image* held = texture ? texture->GetImage() : nullptr;
    if (held && held->Width() == width && held->Height() == height)
        return true;
    Ptr<Image> image = new (std::nothrow) Image(String(imageName), Image::kR8G8B8A8, width, height);
    Ptr<Texture> made = image && image->Width() == width ? new (std::nothrow) Texture(String(textureName), image.Get())
                                                          : nullptr;
    if (!made) {
        Error("Недостаточно памяти для текстуры [%s]. Имя[%s] ID[%d]", textureName, owner.Name().CStr(), owner.ID());
        return false;
    }
    made->SetMipLevels(1);
    texture = made;
    return true;
}

Result PostRenderEffect::BeginCapture(Renderer& renderer)
{
    m_capturing = false;
    uint32_t width = renderer.GetViewportWidth();
    uint32_t height = renderer.GetViewportHeight();
    if (m_filmFlag) {
        m_savedWidth = static_cast<int32_t>(width);
        m_savedHeight = static_cast<float>(height);
        renderer.SetViewport(0, height * 0.125f, static_cast<float>(width), height * 0.75f);
        renderer.SetLetterbox(true);
        width = renderer.GetViewportWidth();
        height = renderer.GetViewportHeight();
    } else {
        renderer.SetLetterbox(false);
    }
    if (Camera* camera = renderer.GetCamera())
        camera->UpdateMatrices();
    if (!m_screenQuad || !PrepareTarget(*this, m_screenTexture, "Screen Image", "Screen Texture", width, height))
        return kSuccess;  // The children are drawn plainly.
    renderer.BeginRenderTarget(m_screenTexture.Get());
    if (!renderer.RenderTargetActive())
        return kSuccess;
    renderer.Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{0, 0, 0, 1}, 1.0f, 0);
    renderer.SetCurrentGeometry(m_screenQuad.Get());
    m_capturing = true;
    return kSuccess;
}

Result PostRenderEffect::FinishComposite(Renderer& renderer)
{
    if (m_capturing) {
        renderer.EndRenderTarget();
        renderer.SetCurrentGeometry(m_screenQuad.Get());
        Composite(renderer);
        m_capturing = false;
    }
    if (m_filmFlag) {
        renderer.SetViewport(0, 0, static_cast<float>(m_savedWidth), m_savedHeight);
        renderer.SetLetterbox(false);
        if (Camera* camera = renderer.GetCamera())
            camera->UpdateMatrices();
    }
    return kFailure;
}

Ptr<PositionPass> PostRenderEffect::MakeQuadPass(const char* name, const char* vertexProgram, const char* pixelProgram)
{
    Ptr<VertexShader> vertexShader = new (std::nothrow) VertexShader(String(name), String(vertexProgram));
    Ptr<PixelShader> pixelShader = new (std::nothrow) PixelShader(String(name), String(pixelProgram));
    if (!vertexShader || !pixelShader)
        return nullptr;
    Ptr<PositionPass> pass = new (std::nothrow) PositionPass(vertexShader.Get(), pixelShader.Get());
    if (!pass || !pass->RenderStates())
        return nullptr;
    RenderState& state = pass->RenderStates()->Edit();
    state.depthEnable = false;
    state.depthWrite = false;
    state.cullEnable = false;
    for (uint32_t stage = 0; stage < 4; ++stage) {
        state.stages[stage].addressU = state.stages[stage].addressV = RenderState::kAddressClamp;
        state.stages[stage].minMipFilter = RenderState::kMinLinear;
    }
    return pass;
}

void PostRenderEffect::DrawQuad(Renderer& renderer, PositionPass& pass, Triangles* quad, BaseTexture* source,
                                BaseTexture* second, uint32_t width, uint32_t height)
{
    if (pass.Begin(renderer, quad) != kSuccess)
        return;
    renderer.SetTexture(0, source);
    if (second)
        renderer.SetTexture(1, second);
    const float halfTexel[4] = {width ? 0.5f / width : 0.0f, height ? 0.5f / height : 0.0f, 0, 0};
    renderer.SetVertexShaderConstants(1, halfTexel, 1);
    renderer.DrawNonIndexed(2);
}

Result PostRenderEffect::Save(Stream& stream)
{
    if (SceneNodeEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteBool(m_filmFlag) != kSuccess) {
        Error("Невозможно сохранить флаг фильма. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result PostRenderEffect::Load(Stream& stream)
{
    if (SceneNodeEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    if (stream.ReadBool(m_filmFlag) != kSuccess) {
        Error("Невозможно загрузить флаг фильма. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    return kSuccess;
}

}  // namespace zen
