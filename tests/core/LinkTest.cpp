#include <gtest/gtest.h>

#include <utility>

#include "engine/core/Link.h"
#include "engine/core/Object.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

using test::Thing;

TEST(Link, TakesNoReferenceAndReadsEmptyOnceItsTargetGoes)
{
    const uint32_t before = Object::LiveCount();
    Ptr<Thing> target(new Thing(String("target")));
    EXPECT_EQ(Object::LiveCount(), before + 1);
    Link<Thing> link(target.Get());
    Link<Thing> copy = link;
    Link<Thing> moved = std::move(Link<Thing>(link));
    EXPECT_EQ(target->References(), 1);
    EXPECT_EQ(copy.Get(), target.Get());
    EXPECT_EQ(moved.Get(), target.Get());
    EXPECT_FALSE(link.Lost());

    target = nullptr;  // The last reference: the object goes although three links name it.
    EXPECT_EQ(Object::LiveCount(), before);
    for (const Link<Thing>* each : {&link, &copy, &moved}) {
        EXPECT_EQ(each->Get(), nullptr);
        EXPECT_FALSE(static_cast<bool>(*each));
        EXPECT_TRUE(each->Lost());
    }
    EXPECT_FALSE(Link<Thing>().Lost());  // Never set: empty, not lost.
    link = Link<Thing>();
    EXPECT_FALSE(link.Lost());
    copy = nullptr;  // Cleared by assignment, as the controllers clear a target that went.
    EXPECT_FALSE(copy.Lost());
}

// While an object's destructor runs, links to it already read empty: what it releases on the
// way (its parts, their controllers) cannot reach it through a link half destroyed.
class Watcher : public Thing {
public:
    ~Watcher() override { seenWhileGoing = back ? back->Get() : this; }
    Link<Thing>* back = nullptr;
    static inline Thing* seenWhileGoing = nullptr;
};

TEST(Link, ReadsEmptyWhileItsTargetIsBeingDestroyed)
{
    Ptr<Watcher> watcher(new Watcher);
    Link<Thing> link(watcher.Get());
    watcher->back = &link;
    watcher = nullptr;
    EXPECT_EQ(Watcher::seenWhileGoing, nullptr);
}

}  // namespace
}  // namespace zen
