#include "engine/core/RefCounted.h"

#include "engine/core/MessageLog.h"

namespace zen {

RefCounted::~RefCounted()
{
    if (m_references > 0)
        Warning("Удаление объекта, имеющего ссылки. Количество ссылок [%d].", m_references);
}

void RefCounted::ReleaseReference()
{
    if (--m_references == 0)
        delete this;
}

}  // namespace zen
