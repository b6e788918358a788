#include "engine/scene/GeometryNodeEffectPass.h"

#include <new>

#include "engine/core/Matrix4.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffect.h"
#include "engine/scene/SkinPalette.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(GeometryNodeEffectPass, Pass, kStartupSceneClasses)

namespace {

// The device meaning of each source, in VertexElement::Source order.
constexpr VertexElement::Usage kUsages[] = {VertexElement::kPosition, VertexElement::kNormal,
                                            VertexElement::kDiffuse,  VertexElement::kTangent,
                                            VertexElement::kPointSize, VertexElement::kTexCoord,
                                            VertexElement::kBlendWeight, VertexElement::kBlendIndices};
static_assert(sizeof kUsages / sizeof kUsages[0] == VertexElement::kSourceCount, "one usage per source");

// The device type of a buffer's elements; false for a kind no stream takes.
bool ElementType(const Buffer& buffer, uint8_t& type)
{
    if (buffer.IsExactly(&FloatBuffer::TYPE))
        type = VertexElement::kFloat1;
    else if (buffer.IsExactly(&Vector2Buffer::TYPE))
        type = VertexElement::kFloat2;
    else if (buffer.IsExactly(&Vector3Buffer::TYPE))
        type = VertexElement::kFloat3;
    else if (buffer.IsExactly(&Vector4Buffer::TYPE))
        type = VertexElement::kFloat4;
    else if (buffer.IsExactly(&ColorBuffer::TYPE))
        type = VertexElement::kColor;
    else if (buffer.IsExactly(&IntBuffer::TYPE))
        type = VertexElement::kUByte4;
    else
        return false;
    return true;
}

// The typed stream operation for the buffer's kind.
void BindStream(Renderer& renderer, Buffer* buffer, uint8_t type, uint32_t stream)
{
    switch (type) {
    case VertexElement::kFloat1: renderer.SetStream(static_cast<FloatBuffer*>(buffer), stream); break;
    case VertexElement::kFloat2: renderer.SetStream(static_cast<Vector2Buffer*>(buffer), stream); break;
    case VertexElement::kFloat3: renderer.SetStream(static_cast<Vector3Buffer*>(buffer), stream); break;
    case VertexElement::kFloat4: renderer.SetStream(static_cast<Vector4Buffer*>(buffer), stream); break;
    case VertexElement::kColor: renderer.SetStream(static_cast<ColorBuffer*>(buffer), stream); break;
    case VertexElement::kUByte4: renderer.SetStream(static_cast<IntBuffer*>(buffer), stream); break;
    default: renderer.SetStream(buffer, stream); break;
    }
}

}  // namespace

GeometryNodeEffectPass::GeometryNodeEffectPass(GeometryNodeEffect* effect) : m_effect(effect) {}

Ptr<GeometryNodeEffectPass> GeometryNodeEffectPass::Create(GeometryNodeEffect* effect, const char* vertexName,
                                                           const char* vertexProgram, const char* pixelName,
                                                           const char* pixelProgram)
{
    Ptr<GeometryNodeEffectPass> pass = new (std::nothrow) GeometryNodeEffectPass(effect);
    if (!pass || pass->AddInput(VertexElement::kVertices) != kSuccess)
        return nullptr;
    if (vertexProgram || pixelProgram) {
        Ptr<VertexShader> vertexShader =
            vertexProgram ? new (std::nothrow) VertexShader(String(vertexName), String(vertexProgram)) : nullptr;
        Ptr<PixelShader> pixelShader =
            pixelProgram ? new (std::nothrow) PixelShader(String(pixelName), String(pixelProgram)) : nullptr;
        if ((vertexProgram && !vertexShader) || (pixelProgram && !pixelShader))
            return nullptr;
        pass->SetShaders(vertexShader.Get(), pixelShader.Get());
    }
    return pass;
}

Result GeometryNodeEffectPass::AddInput(VertexElement::Source source, uint32_t set, bool required)
{
    if (source >= VertexElement::kSourceCount || set >= GeometryNode::kTexCoordSets ||
        (source != VertexElement::kTexCoords && set != 0))
        return kInvalidArgument;
    if (m_inputCount == VertexLayout::kMaxElements)
        return kFailure;
    m_inputs[m_inputCount++] = Input{static_cast<uint8_t>(source), static_cast<uint8_t>(set), required};
    SetDirty(true);
    return kSuccess;
}

void GeometryNodeEffectPass::SetShaders(VertexShader* vertexShader, PixelShader* pixelShader)
{
    m_vertexShader = vertexShader;
    m_pixelShader = pixelShader;
}

void GeometryNodeEffectPass::SetSkinnedVertexShader(VertexShader* vertexShader)
{
    m_skinnedVertexShader = vertexShader;
}

Object* GeometryNodeEffectPass::FindByName(const String& name)
{
    if (Object* found = Pass::FindByName(name))
        return found;
    if (m_vertexShader)
        if (Object* found = m_vertexShader->FindByName(name))
            return found;
    if (m_skinnedVertexShader)
        if (Object* found = m_skinnedVertexShader->FindByName(name))
            return found;
    return m_pixelShader ? m_pixelShader->FindByName(name) : nullptr;
}

void GeometryNodeEffectPass::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Pass::CollectByType(type, out);
    if (m_vertexShader)
        m_vertexShader->CollectByType(type, out);
    if (m_pixelShader)
        m_pixelShader->CollectByType(type, out);
    if (m_skinnedVertexShader)
        m_skinnedVertexShader->CollectByType(type, out);
}

Buffer* GeometryNodeEffectPass::SourceBuffer(const GeometryNode& node, uint32_t source, uint32_t set)
{
    switch (source) {
    case VertexElement::kVertices: return node.Vertices();
    case VertexElement::kNormals: return node.Normals();
    case VertexElement::kColors: return node.Colors();
    case VertexElement::kTangents: return node.Tangents();
    case VertexElement::kPointSizes: return node.PointSizes();
    case VertexElement::kTexCoords: return node.TexCoords(set);
    case VertexElement::kSkinWeights:
    case VertexElement::kSkinIndices: {
        const SkinPalette* skin = SkinPalette::Find(node);
        if (!skin)
            return nullptr;
        return source == VertexElement::kSkinWeights ? skin->BlendWeights() : skin->BlendIndices();
    }
    default: return nullptr;
    }
}

// --- Render state ---------------------------------------------------------------------------

void GeometryNodeEffectPass::Prepare()
{
    RenderStateBlock* block = RenderStates();
    if (!block || !m_effect)
        return;
    const GeometryNodeEffect& effect = *m_effect;
    RenderState state = block->State();
    state.wireframe = effect.Wireframe();
    state.diffuse = effect.Diffuse();
    state.ambient = effect.Ambient();
    state.specular = effect.Specular();
    state.emissive = effect.Emissive();
    state.power = effect.Power();
    state.alphaTestEnable = effect.AlphaTest();
    state.alphaFunc = RenderState::kCompareGreaterEqual;
    state.alphaRef = effect.AlphaRef();
    state.alphaBlendEnable = effect.IsBlended();
    // Blended geometry is drawn last, back to front: the depth it wrote would cut holes in the
    // glows, mist and glass drawn after it behind its transparent parts.
    state.depthWrite = !effect.IsBlended();
    state.srcBlend = effect.SourceBlend();
    state.destBlend = effect.DestinationBlend();
    state.cullEnable = effect.CullEnabled();
    state.fogEnable = effect.FogEnabled();
    state.fogColor = effect.FogColor();
    state.fogDensity = effect.FogDensity();
    state.fogMode = effect.FogExponent() <= 2.0f ? RenderState::kFogExponential : RenderState::kFogExponentialSquared;
    state.fogPerPixel = false;
    for (uint32_t i = 0; i < RenderState::kStageCount; ++i) {
        const int32_t address = effect.Wraps(i) ? RenderState::kAddressWrap : RenderState::kAddressClamp;
        state.stages[i].addressU = state.stages[i].addressV = state.stages[i].addressW = address;
    }
    m_effect->PreparePass(*this, state);
    block->Set(state);
}

void GeometryNodeEffectPass::Invalidate()
{
    Pass::Invalidate();
    Prepare();
}

// --- Apply ----------------------------------------------------------------------------------

bool GeometryNodeEffectPass::BuildLayout(const GeometryNode& node, VertexLayout& layout, bool skinned) const
{
    // A skinned draw reads the skin's weights and indices after the pass's own inputs.
    constexpr Input kSkinInputs[2] = {{VertexElement::kSkinWeights, 0, true}, {VertexElement::kSkinIndices, 0, true}};
    uint8_t texCoordIndex = 0;
    const uint32_t count = m_inputCount + (skinned ? 2 : 0);
    for (uint32_t i = 0; i < count; ++i) {
        const Input& input = i < m_inputCount ? m_inputs[i] : kSkinInputs[i - m_inputCount];
        Buffer* buffer = SourceBuffer(node, input.source, input.set);
        VertexElement element;
        if (!buffer || buffer->GetCount() == 0 || !ElementType(*buffer, element.type)) {
            if (input.required)
                return false;
            continue;
        }
        element.stream = static_cast<uint8_t>(layout.Count());
        element.source = input.source;
        element.set = input.set;
        element.usage = kUsages[input.source];
        element.usageIndex = input.source == VertexElement::kTexCoords ? texCoordIndex++ : 0;
        (void)layout.Add(element);
    }
    return layout.Count() > 0;
}

void GeometryNodeEffectPass::BindStreams(Renderer& renderer, const GeometryNode& node) const
{
    const VertexLayout& layout = Layout();
    for (uint32_t i = 0; i < layout.Count(); ++i) {
        const VertexElement& element = layout[i];
        BindStream(renderer, SourceBuffer(node, element.source, element.set), element.type, element.stream);
    }
}

void GeometryNodeEffectPass::BindTransforms(Renderer& renderer, const GeometryNode& node, bool skinned) const
{
    const Camera* camera = renderer.GetCamera();
    // The palette already carries skinned vertices into the world.
    const Matrix4 world = skinned ? Matrix4::Identity() : node.WorldTransform().ToMatrix();
    const Matrix4 view = camera ? camera->View() : Matrix4::Identity();
    const Matrix4 projection = camera ? camera->Projection() : Matrix4::Identity();
    if (!m_vertexShader) {
        renderer.SetWorld(world);
        renderer.SetView(view);
        renderer.SetProjection(projection);
        return;
    }
    const Matrix4 worldView = world * view;
    const Matrix4 worldViewProjection = worldView * projection;
    renderer.SetVertexShaderConstants(kWorldViewProjectionRegister, &worldViewProjection.m[0][0], 4);
    renderer.SetVertexShaderConstants(kWorldViewRegister, &worldView.m[0][0], 4);
}

Result GeometryNodeEffectPass::Apply(Renderer* renderer)
{
    if (!renderer || !m_effect)
        return kFailure;
    GeometryNode* node = renderer->CurrentGeometry();
    if (!node)
        return kFailure;
    const SkinPalette* skin = m_skinnedVertexShader ? SkinPalette::Find(*node) : nullptr;
    m_skinnedDraw = skin != nullptr;
    VertexLayout layout;
    if (!BuildLayout(*node, layout, m_skinnedDraw))
        return m_effect->ReportProblem(GeometryNodeEffect::kProblemMissingBuffer,
                                       "у геометрии нет буфера, который читает проход");
    SetLayout(layout);
    BindStreams(*renderer, *node);
    renderer->SetIndices(node->Indices());
    renderer->SetVertexShader(m_skinnedDraw ? m_skinnedVertexShader.Get() : m_vertexShader.Get());
    renderer->SetPixelShader(m_pixelShader.Get());
    BindTransforms(*renderer, *node, m_skinnedDraw);
    if (skin && skin->WritePalette(*renderer, kSkinPaletteRegister) != kSuccess)
        return m_effect->ReportProblem(GeometryNodeEffect::kProblemSkin,
                                       "скин не помещается в программу или его привязки неверны");
    return m_effect->BindPass(*this, *renderer, *node);
}

}  // namespace zen
