#include "modules/directx9/D3D9Renderer.h"

#include <string>
#include <string_view>
#include <vector>

#include "engine/core/MessageLog.h"
#include "engine/render/ShaderAssembler.h"
#include "engine/scene/PixelShader.h"
#include "engine/scene/VertexShader.h"

namespace zen {

// --- Shaders ----------------------------------------------------------------------------------

IUnknown* D3D9Renderer::AssembleShader(Shader* shader)
{
    const String& source = shader->Source();
    if (IUnknown** cached = m_shaderCache.Find(source)) {
        if (*cached)
            (*cached)->AddRef();
        return *cached;
    }
    std::vector<uint32_t> code;
    std::string message;
    const Result assembled = ShaderAssembler::Assemble(std::string_view(source.CStr(), source.Length()), code, message);
    IUnknown* made = nullptr;
    if (assembled != kSuccess) {
        // The assembler's own text, shown once per program text (in a message box with an
        // empty caption where one may be shown); the shader stays unbound.
        if (assembled == kOutOfMemory)
            message = "out of memory";
        Error("Невозможно ассемблировать шейдер [%s]: %s", shader->Name().CStr(), message.c_str());
        if (MessageBoxesAllowed())
            MessageBoxA(nullptr, message.c_str(), "", MB_OK);
    } else {
        const auto* words = reinterpret_cast<const DWORD*>(code.data());
        HRESULT created = E_FAIL;
        if (shader->IsPixelShader()) {
            IDirect3DPixelShader9* pixel = nullptr;
            created = m_device->CreatePixelShader(words, &pixel);
            made = pixel;
        } else {
            IDirect3DVertexShader9* vertex = nullptr;
            created = m_device->CreateVertexShader(words, &vertex);
            made = vertex;
        }
        if (FAILED(created)) {
            Error("Невозможно создать шейдер [%s].", shader->Name().CStr());
            made = nullptr;
        }
    }
    // The cache keeps its own reference (or the failure, so it is not reported again).
    if (m_shaderCache.Insert(source, made) == kSuccess && made)
        made->AddRef();
    return made;
}

IUnknown* D3D9Renderer::PrepareShader(Shader* shader)
{
    DeviceObject* record = Lookup(shader);
    if (!record || record->kind != DeviceObject::kShader || shader->IsDirty()) {
        record = Adopt(shader, DeviceObject::kShader, AssembleShader(shader), false);
        if (!record)
            return nullptr;
        shader->SetDirty(false);
    }
    return record->object;
}

void D3D9Renderer::ReleaseShaderCache()
{
    m_shaderCache.ForEach([](const String&, IUnknown* shader) {
        if (shader)
            shader->Release();
        return false;
    });
    m_shaderCache.Clear();
}

void D3D9Renderer::SetVertexShader(VertexShader* shader)
{
    if (!m_device)
        return;
    m_device->SetVertexShader(shader ? static_cast<IDirect3DVertexShader9*>(PrepareShader(shader)) : nullptr);
}

void D3D9Renderer::SetPixelShader(PixelShader* shader)
{
    if (!m_device)
        return;
    IDirect3DPixelShader9* bound = shader ? static_cast<IDirect3DPixelShader9*>(PrepareShader(shader)) : nullptr;
    m_device->SetPixelShader(bound);
    m_bindings.BindPixelShader(bound != nullptr);
}

void D3D9Renderer::SetVertexShaderConstants(uint32_t firstRegister, const float* values, uint32_t count)
{
    if (m_device && values && count > 0)
        m_device->SetVertexShaderConstantF(firstRegister, values, count);
}

void D3D9Renderer::SetPixelShaderConstants(uint32_t firstRegister, const float* values, uint32_t count)
{
    if (m_device && values && count > 0)
        m_device->SetPixelShaderConstantF(firstRegister, values, count);
}

}  // namespace zen
