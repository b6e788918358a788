// Arbitrary bytes as an on-screen message configuration: the tag parser must take anything
// (nesting, unmatched tags, huge inputs) and the learn system must build, lay out and time
// whatever tree comes out, then run a few frames of its camera rule.
#include <cstddef>
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/text/LearnSystem.h"
#include "engine/text/TagParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    const char* text = reinterpret_cast<const char*>(data);
    zen::TagElement root;
    (void)zen::TagParser::Parse(text, static_cast<uint32_t>(size), &root);
    zen::Ptr<zen::LearnSystem> learn(new zen::LearnSystem);
    (void)learn->LoadConfigurationText(text, static_cast<uint32_t>(size));
    for (int frame = 0; frame < 3; ++frame) {
        learn->UpdateState(0.5, true);
        learn->DrawIfVisible(nullptr);
    }
    return 0;
}
