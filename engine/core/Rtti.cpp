#include "engine/core/Rtti.h"

namespace zen {

bool Rtti::DerivesFrom(const Rtti* type) const
{
    for (const Rtti* record = this; record; record = record->m_base)
        if (record == type)
            return true;
    return false;
}

bool Rtti::DerivesFrom(const String& typeName) const
{
    for (const Rtti* record = this; record; record = record->m_base)
        if (record->Name() == typeName)
            return true;
    return false;
}

}  // namespace zen
