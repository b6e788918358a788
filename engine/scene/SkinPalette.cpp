#include "engine/scene/SkinPalette.h"

namespace zen {

namespace {

SkinPalette::Finder g_finder = nullptr;

}  // namespace

const SkinPalette* SkinPalette::Find(const Object& node)
{
    return g_finder ? g_finder(node) : nullptr;
}

void SkinPalette::SetFinder(Finder finder)
{
    g_finder = finder;
}

}  // namespace zen
