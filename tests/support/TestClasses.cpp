#include "support/TestClasses.h"

#include <sstream>

#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"

namespace zen::test {

ZEN_IMPLEMENT_CLASS(Thing, Object, kStartupOtherClasses)
ZEN_IMPLEMENT_CLASS(TestController, Controller, kStartupOtherClasses)

Result Thing::Save(Stream& stream)
{
    if (Object::Save(stream) != kSuccess)
        return kFailure;
    stream.WriteInt(value);
    stream.WriteObject(child.Get());
    return stream.WriteObject(link) == kSuccess ? kSuccess : kFailure;
}

Result Thing::Load(Stream& stream)
{
    if (Object::Load(stream) != kSuccess)
        return kFailure;
    if (stream.ReadInt(value) != kSuccess || stream.ReadObject(child) != kSuccess || stream.ReadLink(link) != kSuccess)
        return kFailure;
    return kSuccess;
}

void Thing::VisitReferences(ReferenceVisitor& visitor)
{
    Object::VisitReferences(visitor);
    visitor(child);
}

void TestController::Update(double elapsed)
{
    if (!m_active || !m_journal)
        return;
    std::ostringstream entry;
    entry << Name().Std() << "(" << elapsed << ")";
    *m_journal += entry.str();
}

}  // namespace zen::test
