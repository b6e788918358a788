#include "engine/render/WindowLayer.h"

namespace zen {
namespace {

WindowLayer* g_installed = nullptr;  // Not owned.

}  // namespace

WindowLayer::~WindowLayer()
{
    if (g_installed == this)
        g_installed = nullptr;
}

WindowLayer* WindowLayer::Installed()
{
    return g_installed;
}

WindowLayer* WindowLayer::Install(WindowLayer* layer)
{
    WindowLayer* previous = g_installed;
    g_installed = layer;
    return previous;
}

}  // namespace zen
