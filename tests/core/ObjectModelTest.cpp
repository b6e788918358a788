#include <gtest/gtest.h>

#include "engine/anim/Controller.h"
#include "engine/core/Array.h"
#include "engine/core/ClassRegistry.h"
#include "engine/core/HashMap.h"
#include "engine/core/Object.h"
#include "support/LogCapture.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

TEST(Array, AFixedArrayRefusesTheElementPastItsSize)
{
    Array<int> fixed(2, 0);
    EXPECT_EQ(fixed.Append(1), kSuccess);
    EXPECT_EQ(fixed.Append(2), kSuccess);
    EXPECT_EQ(fixed.Append(3), kFailure);
    EXPECT_EQ(fixed.Count(), 2u);
    EXPECT_EQ(fixed[1], 2);
}

TEST(Array, RemovalKeepsOrderAndReleasesOwnedElements)
{
    Ptr<test::Thing> a(new test::Thing), b(new test::Thing), c(new test::Thing);
    Array<Ptr<test::Thing>> owned(1, 1);
    ASSERT_EQ(owned.Append(a), kSuccess);
    ASSERT_EQ(owned.Append(b), kSuccess);
    ASSERT_EQ(owned.Append(c), kSuccess);
    EXPECT_EQ(a->References(), 2);
    owned.RemoveAt(0);
    EXPECT_EQ(a->References(), 1);
    EXPECT_EQ(owned[0], b);
    EXPECT_EQ(owned[1], c);
    owned.RemoveAt(9);  // Out of range: nothing.
    EXPECT_EQ(owned.Count(), 2u);
}

TEST(HashMap, KeysAreUniqueAndRemovalIsFinal)
{
    HashMap<String, int> map(32);
    EXPECT_EQ(map.Insert(String("a"), 1), kSuccess);
    EXPECT_EQ(map.Insert(String("a"), 2), kFailure);
    EXPECT_EQ(*map.Find(String("a")), 1);
    ASSERT_EQ(map.Insert(String("b"), 3), kSuccess);
    ASSERT_EQ(map.Insert(String("c"), 4), kSuccess);
    EXPECT_EQ(map.Remove(String("b")), kSuccess);
    EXPECT_EQ(map.Remove(String("b")), kInvalidArgument);
    EXPECT_EQ(map.Find(String("b")), nullptr);
    EXPECT_EQ(map.Count(), 2u);
}

TEST(Object, IdsAreConsecutiveAndNamesKept)
{
    test::Thing first;
    test::Thing second(String("second"));
    EXPECT_EQ(second.ID(), first.ID() + 1);
    EXPECT_EQ(second.Name(), "second");
    EXPECT_EQ(Object::NextID(), second.ID() + 1);
}

TEST(Object, ControllersAreNewestFirst)
{
    test::Thing owner;
    Ptr<test::TestController> a(new test::TestController), b(new test::TestController);
    ASSERT_EQ(owner.SetController(a.Get()), kSuccess);
    ASSERT_EQ(owner.SetController(b.Get()), kSuccess);
    EXPECT_EQ(owner.ControllerCount(), 2u);
    EXPECT_EQ(owner.GetController(0), b.Get());
    EXPECT_EQ(owner.GetController(1), a.Get());
    EXPECT_EQ(owner.GetController(2), nullptr);
    EXPECT_EQ(a->Owner(), &owner);
    EXPECT_EQ(a->References(), 2);

    test::LogCapture log;
    EXPECT_EQ(owner.SetController(nullptr), kInvalidArgument);
    EXPECT_EQ(owner.ControllerCount(), 2u);
    EXPECT_TRUE(log.ContainsText("WARNING. Указатель на устанавливаемый контроллер равен 0. Имя["));

    EXPECT_EQ(owner.RemoveControllers(), kSuccess);
    EXPECT_EQ(owner.ControllerCount(), 0u);
    EXPECT_EQ(a->References(), 1);
}

TEST(Object, AControllerThatOutlivesItsOwnerKeepsNoLinkToIt)
{
    // A scene file may attach one controller to two objects; the last one becomes its owner.
    Ptr<test::TestController> shared(new test::TestController);
    test::Thing keeper;
    ASSERT_EQ(keeper.SetController(shared.Get()), kSuccess);
    {
        test::Thing owner;
        ASSERT_EQ(owner.SetController(shared.Get()), kSuccess);
        EXPECT_EQ(shared->Owner(), &owner);
    }
    EXPECT_EQ(shared->Owner(), nullptr);
    EXPECT_EQ(shared->References(), 2);

    // Emptying a list that does not own the controller leaves its link alone.
    test::Thing owner;
    ASSERT_EQ(owner.SetController(shared.Get()), kSuccess);
    EXPECT_EQ(keeper.RemoveControllers(), kSuccess);
    EXPECT_EQ(shared->Owner(), &owner);
    EXPECT_EQ(owner.RemoveControllers(), kSuccess);
    EXPECT_EQ(shared->Owner(), nullptr);
    EXPECT_EQ(shared->References(), 1);
}

TEST(Object, UpdateControllersVisitsNewestFirstWithTheSameTime)
{
    test::Thing owner;
    std::string order;
    Ptr<test::TestController> a(new test::TestController(String("A"), &order));
    Ptr<test::TestController> b(new test::TestController(String("B"), &order));
    ASSERT_EQ(owner.SetController(a.Get()), kSuccess);
    ASSERT_EQ(owner.SetController(b.Get()), kSuccess);
    owner.UpdateControllers(0.25);
    EXPECT_EQ(order, "B(0.25)A(0.25)");

    a->SetActive(false);
    order.clear();
    owner.UpdateControllers(0.5);
    EXPECT_EQ(order, "B(0.5)");
}

TEST(Object, FindByNameAndCollectByTypeLookAtControllers)
{
    test::Thing owner(String("root"));
    Ptr<test::TestController> c(new test::TestController(String("root")));
    Ptr<test::TestController> d(new test::TestController(String("deep")));
    ASSERT_EQ(owner.SetController(c.Get()), kSuccess);
    ASSERT_EQ(owner.SetController(d.Get()), kSuccess);
    EXPECT_EQ(owner.FindByName(String("root")), &owner);  // Itself first, controllers not needed.
    EXPECT_EQ(owner.FindByName(String("deep")), d.Get());
    EXPECT_EQ(owner.FindByName(String("none")), nullptr);

    Array<Object*> found(1, 1);
    owner.CollectByType(&Controller::TYPE, found);
    ASSERT_EQ(found.Count(), 2u);
    EXPECT_EQ(found[0], d.Get());
    found.Clear();
    owner.CollectByType(&Object::TYPE, found);
    EXPECT_EQ(found.Count(), 3u);
}

TEST(Object, SearchesEndWhenControllersLoopBack)
{
    // A controller attached to itself, and two controllers attached to each other: a scene file
    // can say so; the searches must still end.
    Ptr<test::TestController> self(new test::TestController(String("self")));
    ASSERT_EQ(self->SetController(self.Get()), kSuccess);
    Ptr<test::TestController> a(new test::TestController(String("a"))), b(new test::TestController(String("b")));
    ASSERT_EQ(a->SetController(b.Get()), kSuccess);
    ASSERT_EQ(b->SetController(a.Get()), kSuccess);
    test::Thing owner(String("owner"));
    ASSERT_EQ(owner.SetController(self.Get()), kSuccess);
    ASSERT_EQ(owner.SetController(a.Get()), kSuccess);

    EXPECT_EQ(owner.FindByName(String("missing")), nullptr);
    EXPECT_EQ(owner.FindByName(String("b")), b.Get());
    Array<Object*> found(1, 1);
    owner.CollectByType(&Controller::TYPE, found);
    EXPECT_EQ(found.Count(), 3u);  // a, b and self, each once.

    (void)self->RemoveControllers();
    (void)a->RemoveControllers();
    (void)b->RemoveControllers();
}

TEST(Rtti, DerivesFromItselfAndFromObject)
{
    EXPECT_TRUE(test::TestController::TYPE.DerivesFrom(&test::TestController::TYPE));
    EXPECT_TRUE(test::TestController::TYPE.DerivesFrom(&Controller::TYPE));
    EXPECT_TRUE(test::TestController::TYPE.DerivesFrom(&Object::TYPE));
    EXPECT_FALSE(Controller::TYPE.DerivesFrom(&test::TestController::TYPE));
    EXPECT_FALSE(test::Thing::TYPE.DerivesFrom(&Controller::TYPE));
    EXPECT_EQ(Object::TYPE.Base(), nullptr);
    EXPECT_EQ(Controller::TYPE.Name(), "ZEN.Controller");
}

TEST(RefCounted, DeletingAReferencedObjectWarnsAndProceeds)
{
    test::LogCapture log;
    auto* thing = new test::Thing;
    thing->AddReference();
    thing->AddReference();
    delete thing;
    EXPECT_TRUE(log.Contains("WARNING. Удаление объекта, имеющего ссылки. Количество ссылок [2]."));
}

TEST(ClassRegistry, FirstCreatorWinsAndAbstractObjectRefuses)
{
    test::LogCapture log;
    const String name("ZEN.RegistryProbe");
    auto first = [](Object** out) { return CreateObject<test::Thing>(out); };
    auto second = [](Object**) { return kFailure; };
    ASSERT_EQ(ClassRegistry::Add(name, first), kSuccess);
    EXPECT_EQ(ClassRegistry::Add(name, second), kFailure);
    CreateFunction create = ClassRegistry::LookupCreator(name);
    ASSERT_NE(create, nullptr);
    Object* made = nullptr;
    EXPECT_EQ(create(&made), kSuccess);
    Ptr<Object> adopt(made);
    EXPECT_EQ(made->References(), 1);
    EXPECT_EQ(ClassRegistry::Remove(name), kSuccess);
    EXPECT_EQ(ClassRegistry::LookupCreator(name), nullptr);

    Object* none = nullptr;
    EXPECT_EQ(Object::Create(&none), kFailure);
    EXPECT_EQ(none, nullptr);
    EXPECT_TRUE(log.Contains("CRITICAL ERROR. Создание объекта абстрактного класса [Object]."));
}

}  // namespace
}  // namespace zen
