#include "engine/scene/ShaderCatalog.h"

#include <new>

#include "engine/core/ClassRegistry.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Effect.h"
#include "engine/scene/Shader.h"
#include "engine/scene/Technique.h"

namespace zen {
namespace {

bool Listed(const Array<ShaderCatalog::Program>& programs, const String& source)
{
    for (uint32_t i = 0; i < programs.Count(); ++i)
        if (programs[i].source == source)
            return true;
    return false;
}

}  // namespace

Result ShaderCatalog::Collect(Array<Program>& out)
{
    Array<String> names(64, 64);
    if (ClassRegistry::TypeNames(names) != kSuccess)
        return kOutOfMemory;
    for (uint32_t n = 0; n < names.Count(); ++n) {
        const CreateFunction create = ClassRegistry::LookupCreator(names[n]);
        Object* made = nullptr;
        // Abstract classes refuse creation; they carry no programs of their own.
        if (!create || create(&made) != kSuccess || !made)
            continue;
        Ptr<Object> object(made);
        if (!object->IsDerivedFrom(&Effect::TYPE))
            continue;
        auto* effect = static_cast<Effect*>(object.Get());
        for (uint32_t t = 0; t < effect->TechniqueCount(); ++t) {
            const Technique* declared = effect->GetTechnique(t);
            Technique technique(effect, t, declared->VertexShaderVersion(), declared->PixelShaderVersion());
            const Result built = effect->CreatePasses(t, technique);
            if (built == kOutOfMemory)
                return kOutOfMemory;
            if (built != kSuccess) {
                Error("Невозможно построить проходы техники %u эффекта %s.", t, names[n].CStr());
                return kFailure;
            }
            Array<Object*> shaders(4, 4);
            for (uint32_t p = 0; p < technique.PassCount(); ++p)
                technique.GetPass(p)->CollectByType(&Shader::TYPE, shaders);
            for (uint32_t s = 0; s < shaders.Count(); ++s) {
                auto* shader = static_cast<Shader*>(shaders[s]);
                if (Listed(out, shader->Source()))
                    continue;
                if (out.Append(Program{names[n], shader->Name(), shader->Source(), shader->IsPixelShader()}) != kSuccess)
                    return kOutOfMemory;
            }
        }
    }
    return kSuccess;
}

}  // namespace zen
