#pragma once
#include <string>

#include "engine/anim/Controller.h"
#include "engine/core/Object.h"
#include "engine/core/Ptr.h"

namespace zen::test {

// A plain concrete object for tests ("ZEN.Thing") with one owned and one non-owning link, so
// object graphs with sharing and cycles can be built and streamed.
class Thing : public Object {
    ZEN_DECLARE_CLASS

public:
    explicit Thing(const String& name = String()) : Object(name) { ++live; }
    ~Thing() override { --live; }
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
    void VisitReferences(ReferenceVisitor& visitor) override;  // The child.

    static inline int32_t live = 0;  // Things in existence, for the tests that check nothing leaks.

    int32_t value = 0;
    Ptr<Thing> child;        // Owned.
    Thing* link = nullptr;   // Not owned (a parent or sibling).
};

// A controller that records its updates into a journal ("ZEN.TestController").
class TestController : public Controller {
    ZEN_DECLARE_CLASS

public:
    explicit TestController(const String& name = String(), std::string* journal = nullptr)
        : m_journal(journal)
    {
        SetName(name);
    }
    void Update(double elapsed) override;

private:
    std::string* m_journal;
};

}  // namespace zen::test
