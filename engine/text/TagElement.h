#pragma once
#include <string>
#include <vector>

namespace zen {

// One element of a tag-language tree (see TagParser): its name, and either a value (a leaf) or
// child elements in file order.
struct TagElement {
    std::string name;
    std::string value;               // A leaf's content, verbatim; empty for an inner element.
    std::vector<TagElement> children;
    bool leaf = true;

    // The first child named `childName`; null when there is none.
    const TagElement* Child(const char* childName) const;
    // The first child's value named `childName`; empty when there is none.
    std::string ChildValue(const char* childName) const;
};

}  // namespace zen
