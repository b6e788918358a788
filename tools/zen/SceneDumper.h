#pragma once
#include <cstdio>
#include <string>
#include <unordered_map>

namespace zen {
class Object;
}

namespace zen::tool {

// Prints an object graph as an indented tree, one object per line: a number in order of first
// appearance, the type name, the name in quotes and the fields that identify it (transform,
// slots, buffer counts, camera and light parameters, bounds, image files and sizes, texture mip
// levels), with a texture effect's texture and each texture's image below them. An object met
// again (a shared buffer, a node in two places) is printed as "-> #n" instead of a second copy,
// so every object appears in full exactly once and the walk ends on any graph. Objects of
// classes this printer does not know show their type, name and controllers.
class SceneDumper {
public:
    explicit SceneDumper(std::FILE* out) : m_out(out) {}

    void Dump(Object* root);
    // Also print each node's world transform (after the scene was advanced).
    void SetShowWorld(bool show) { m_showWorld = show; }

private:
    // One line for `object` under `label` at `depth`, then its parts one level deeper.
    void DumpObject(Object* object, const std::string& label, int depth);
    void DumpEffectLinks(Object* object, int depth);
    void DumpParts(Object* object, int depth);
    std::string Fields(Object* object);
    std::string Reference(Object* object);  // "#n" or a description of an object not met yet.
    void Line(int depth, const std::string& text);

    std::FILE* m_out;
    std::unordered_map<const Object*, int> m_numbers;  // Object -> its number, from 1.
    bool m_showWorld = false;
};

}  // namespace zen::tool
