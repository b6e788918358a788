#include "modules/directx9/D3D9Renderer.h"

#include <algorithm>

#include "engine/core/MessageLog.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Pass.h"
#include "engine/scene/RenderStateBlock.h"
#include "modules/directx9/D3D9RenderStates.h"

namespace zen {
namespace {

// GeometryNode primitive types (points, lines, strip lines, triangles) to the device's.
constexpr D3DPRIMITIVETYPE kPrimitiveTypes[] = {D3DPT_POINTLIST, D3DPT_LINELIST, D3DPT_LINESTRIP,
                                                D3DPT_TRIANGLELIST};
static_assert(sizeof kPrimitiveTypes / sizeof kPrimitiveTypes[0] == GeometryNode::kTriangles + 1,
              "one device primitive type per geometry kind");

// VertexElement types and usages to the device's declaration values.
constexpr D3DDECLTYPE kDeclTypes[] = {D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2,   D3DDECLTYPE_FLOAT3,
                                      D3DDECLTYPE_FLOAT4, D3DDECLTYPE_D3DCOLOR, D3DDECLTYPE_UBYTE4};
static_assert(sizeof kDeclTypes / sizeof kDeclTypes[0] == VertexElement::kTypeCount, "one device type per element type");
constexpr D3DDECLUSAGE kDeclUsages[] = {D3DDECLUSAGE_POSITION,  D3DDECLUSAGE_NORMAL,   D3DDECLUSAGE_COLOR,
                                        D3DDECLUSAGE_TANGENT,   D3DDECLUSAGE_PSIZE,    D3DDECLUSAGE_TEXCOORD,
                                        D3DDECLUSAGE_BLENDINDICES, D3DDECLUSAGE_BLENDWEIGHT};
static_assert(sizeof kDeclUsages / sizeof kDeclUsages[0] == VertexElement::kUsageCount,
              "one device usage per element usage");

// The smallest element count of the streams `layout` takes from `node`: no draw reads past it.
uint32_t StreamVertices(const GeometryNode& node, const VertexLayout& layout)
{
    uint32_t count = 0xFFFFFFFFu;
    for (uint32_t i = 0; i < layout.Count(); ++i) {
        const Buffer* buffer = GeometryNodeEffectPass::SourceBuffer(node, layout[i].source, layout[i].set);
        count = std::min(count, buffer ? buffer->GetCount() : 0u);
    }
    return layout.Count() ? count : 0;
}

}  // namespace

// --- Drawing ----------------------------------------------------------------------------------

bool D3D9Renderer::SetDeclaration(Pass* pass)
{
    const VertexLayout& layout = pass->Layout();
    if (layout.Count() == 0)
        return false;
    DeviceObject* record = Lookup(pass);
    if (!record || record->kind != DeviceObject::kDeclaration || pass->IsDirty()) {
        D3DVERTEXELEMENT9 elements[VertexLayout::kMaxElements + 1];
        for (uint32_t i = 0; i < layout.Count(); ++i) {
            const VertexElement& element = layout[i];
            if (element.type >= VertexElement::kTypeCount || element.usage >= VertexElement::kUsageCount)
                return false;  // Not a layout a pass builds.
            elements[i] = D3DVERTEXELEMENT9{element.stream, 0, static_cast<BYTE>(kDeclTypes[element.type]),
                                            D3DDECLMETHOD_DEFAULT, static_cast<BYTE>(kDeclUsages[element.usage]),
                                            element.usageIndex};
        }
        elements[layout.Count()] = D3DVERTEXELEMENT9 D3DDECL_END();
        IDirect3DVertexDeclaration9* declaration = nullptr;
        if (FAILED(m_device->CreateVertexDeclaration(elements, &declaration))) {
            Error("Невозможно создать описание вершин. Имя[%s] ID[%d]", pass->Name().CStr(), pass->ID());
            Drop(pass);
            return false;
        }
        record = Adopt(pass, DeviceObject::kDeclaration, declaration, false);
        if (!record)
            return false;
        pass->SetDirty(false);
    }
    m_device->SetVertexDeclaration(static_cast<IDirect3DVertexDeclaration9*>(record->object));
    return true;
}

bool D3D9Renderer::PrepareDraw(Pass* pass)
{
    if (!SetDeclaration(pass))
        return false;
    // Per-draw overrides of the pass's recorded state.
    if (RenderStateBlock* block = pass->RenderStates()) {
        const RenderState& state = block->State();
        if (MirrorCulling())
            m_device->SetRenderState(D3DRS_CULLMODE,
                                     D3D9RenderStates::CullMode(state.cullEnable, 1 - (state.cullMode & 1)));
        if (DepthEqual())
            m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_EQUAL);
    }
    // The recorded state sets every stage's operation: the fixed-function cascade must end at
    // the first stage this pass bound no texture to, or it multiplies in an empty stage.
    const uint32_t end = m_bindings.EndOfCascade();
    if (end != StageBindings::kNoStage) {
        m_device->SetTextureStageState(end, D3DTSS_COLOROP, D3DTOP_DISABLE);
        m_device->SetTextureStageState(end, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
    return true;
}

void D3D9Renderer::DrawNode(GeometryNode* node, Pass* pass)
{
    if (!PrepareDraw(pass))
        return;
    const int32_t type = node->GetPrimitiveType();
    if (type < 0 || type > GeometryNode::kTriangles)
        return;
    const uint32_t vertices = StreamVertices(*node, pass->Layout());
    IntBuffer* indices = node->Indices();
    if (indices && indices == m_boundIndices) {
        if (m_indexSpan > vertices) {
            if (!m_reportedIndices) {
                m_reportedIndices = true;
                Warning("Индексы выходят за пределы вершин. Имя[%s] ID[%d]", node->Name().CStr(), node->ID());
            }
            return;
        }
        const uint32_t primitives = GeometryNode::PrimitiveCount(type, indices->GetCount());
        if (primitives > 0)
            m_device->DrawIndexedPrimitive(kPrimitiveTypes[type], 0, 0, vertices, 0, primitives);
        return;
    }
    if (indices)
        return;  // Its index buffer could not be made: nothing sensible to draw.
    const uint32_t primitives = GeometryNode::PrimitiveCount(type, vertices);
    if (primitives > 0)
        m_device->DrawPrimitive(kPrimitiveTypes[type], 0, primitives);
}

void D3D9Renderer::DrawCurrentGeometry()
{
    GeometryNode* node = CurrentGeometry();
    Pass* pass = CurrentPass();
    if (m_device && node && pass)
        DrawNode(node, pass);
}

void D3D9Renderer::DrawGeometry(GeometryNode* node)
{
    Pass* pass = CurrentPass();
    if (!m_device || !node || !pass)
        return;
    // The node's own buffers in the streams the current pass laid out.
    const VertexLayout& layout = pass->Layout();
    for (uint32_t i = 0; i < layout.Count(); ++i)
        BindStream(GeometryNodeEffectPass::SourceBuffer(*node, layout[i].source, layout[i].set), layout[i].stream);
    SetIndices(node->Indices());
    DrawNode(node, pass);
}

void D3D9Renderer::DrawNonIndexed(uint32_t primitiveCount)
{
    GeometryNode* node = CurrentGeometry();
    Pass* pass = CurrentPass();
    if (!m_device || !node || !pass || primitiveCount == 0 || !PrepareDraw(pass))
        return;
    const int32_t type = node->GetPrimitiveType();
    if (type < 0 || type > GeometryNode::kTriangles)
        return;
    // Never more primitives than the streams hold vertices for.
    const uint32_t available = GeometryNode::PrimitiveCount(type, StreamVertices(*node, pass->Layout()));
    const uint32_t primitives = std::min(primitiveCount, available);
    if (primitives > 0)
        m_device->DrawPrimitive(kPrimitiveTypes[type], 0, primitives);
}

}  // namespace zen
