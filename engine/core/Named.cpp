#include "engine/core/Named.h"

namespace zen {

void Named::SetName(const String& name)
{
    m_name = name;
}

}  // namespace zen
