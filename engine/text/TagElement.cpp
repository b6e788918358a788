#include "engine/text/TagElement.h"

namespace zen {

const TagElement* TagElement::Child(const char* childName) const
{
    for (const TagElement& child : children)
        if (child.name == childName)
            return &child;
    return nullptr;
}

std::string TagElement::ChildValue(const char* childName) const
{
    const TagElement* child = Child(childName);
    return child ? child->value : std::string();
}

}  // namespace zen
