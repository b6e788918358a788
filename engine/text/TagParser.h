#pragma once
#include <cstdint>

#include "engine/text/TagElement.h"

namespace zen {

// Reads the tag language of the on-screen message configuration: an element is an opening
// tag ("<" name ">", no attributes), its content and the closing tag ("</" name ">"). Content
// without "<", or whose first "<" starts "<!", is a leaf value; any other content is a
// sequence of elements with the text around them dropped. A closing tag is matched counting
// nested elements of the same name.
class TagParser {
public:
    static constexpr uint32_t kMaxDepth = 64;         // Deeper nesting is refused as malformed.
    static constexpr uint32_t kMaxElements = 100000;  // So is a tree with more elements.

    // Parses `text` (`size` bytes) into `root`: the first element of the text (text around it
    // dropped); an empty tree (no element) leaves root with an empty name. Results: 0 success;
    // 1 malformed (a "<" without ">", an opening tag without its closing tag, too deep or too
    // many elements); 2 out of memory; 3 without text or root. `root` is written only on
    // success.
    static int Parse(const char* text, uint32_t size, TagElement* root);
};

}  // namespace zen
