#include "engine/scene/Shader.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Shader, Object, kStartupSceneClasses)

Shader::Shader(const String& name, const String& source) : Object(name), m_source(source) {}

Shader::~Shader()
{
    if (Renderer* renderer = BoundRenderer())
        renderer->ReleaseShader(this);
}

void Shader::SetSource(const String& source)
{
    m_source = source;
    SetDirty(true);
}

}  // namespace zen
