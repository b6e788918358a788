#include "engine/core/RefCounted.h"

#include <new>

#include "engine/core/MessageLog.h"

namespace zen {

void LinkAnchor::Release()
{
    if (--m_holders == 0)
        delete this;
}

RefCounted::~RefCounted()
{
    BreakLinks();
    if (m_references > 0)
        Warning("Удаление объекта, имеющего ссылки. Количество ссылок [%d].", m_references);
}

void RefCounted::ReleaseReference()
{
    if (--m_references == 0) {
        // Before the derived destructors run: what they release must not find this object
        // through a link while it is half gone.
        BreakLinks();
        delete this;
    }
}

LinkAnchor* RefCounted::Anchor()
{
    if (!m_anchor && !m_going)
        m_anchor = new (std::nothrow) LinkAnchor;
    return m_anchor;
}

void RefCounted::BreakLinks()
{
    m_going = true;
    if (LinkAnchor* anchor = m_anchor) {
        m_anchor = nullptr;
        anchor->m_alive = false;
        anchor->Release();
    }
}

}  // namespace zen
