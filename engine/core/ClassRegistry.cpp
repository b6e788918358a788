#include "engine/core/ClassRegistry.h"

#include "engine/core/HashMap.h"

namespace zen {
namespace {

HashMap<String, CreateFunction>& Table()
{
    static HashMap<String, CreateFunction> table(32);
    return table;
}

}  // namespace

Result ClassRegistry::Add(const String& typeName, CreateFunction create)
{
    return Table().Insert(typeName, create);
}

Result ClassRegistry::Remove(const String& typeName)
{
    (void)Table().Remove(typeName);
    return kSuccess;
}

CreateFunction ClassRegistry::LookupCreator(const String& typeName)
{
    CreateFunction* create = Table().Find(typeName);
    return create ? *create : nullptr;
}

uint32_t ClassRegistry::Count()
{
    return Table().Count();
}

Result ClassRegistry::TypeNames(Array<String>& out)
{
    Result result = kSuccess;
    Table().ForEach([&](const String& name, CreateFunction) {
        result = out.Append(name);
        return result != kSuccess;
    });
    return result;
}

}  // namespace zen
