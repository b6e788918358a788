#include "engine/core/MessageLog.h"

#include <cstdarg>
#include <cstdio>

#include "engine/core/Array.h"
#include "engine/core/Ptr.h"

namespace zen {
namespace {

// The process-wide output registry. It lives from first use to process exit; once its static
// destructor has run (releasing every output), later messages are dropped instead of touching
// a dead array.
struct OutputRegistry {
    Array<Ptr<MessageOutput>> outputs{1, 1};
    static inline bool alive = false;
    OutputRegistry() { alive = true; }
    ~OutputRegistry()
    {
        alive = false;
        outputs.Clear();
    }
};

// Null after the registry's static destructor has run.
OutputRegistry* Registry()
{
    static OutputRegistry registry;
    return OutputRegistry::alive ? &registry : nullptr;
}

uint32_t IndexOf(OutputRegistry& registry, const MessageOutput* output)
{
    return registry.outputs.IndexOfIf([output](const Ptr<MessageOutput>& p) { return p.Get() == output; });
}

void Dispatch(uint32_t level, const char* format, va_list arguments)
{
    OutputRegistry* registry = Registry();
    if (!registry || registry->outputs.Count() == 0)
        return;
    char buffer[kMessageCapacity];
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    auto& outputs = registry->outputs;
    // The count is read anew each time: an output may unregister others while writing.
    for (uint32_t i = 0; i < outputs.Count(); ++i) {
        Ptr<MessageOutput> output = outputs[i];
        output->Write(level, String(buffer));
    }
}

}  // namespace

#define ZEN_LOG_AT(level)                     \
    va_list arguments;                        \
    va_start(arguments, format);              \
    Dispatch(level, format, arguments);       \
    va_end(arguments)

void Info(const char* format, ...) { ZEN_LOG_AT(kLevelInfo); }
void Warning(const char* format, ...) { ZEN_LOG_AT(kLevelWarning); }
void Error(const char* format, ...) { ZEN_LOG_AT(kLevelError); }
void Critical(const char* format, ...) { ZEN_LOG_AT(kLevelCritical); }
void Log(uint32_t level, const char* format, ...) { ZEN_LOG_AT(level); }

#undef ZEN_LOG_AT

Result RegisterOutput(MessageOutput* output)
{
    OutputRegistry* registry = Registry();
    if (!output || !registry)
        return kInvalidArgument;
    if (IndexOf(*registry, output) != Array<int>::kNotFound) {
        Warning("Объект вывода сообщений уже зарегестрирован. [%s]", output->Name().CStr());
        return kSuccess;
    }
    const Result appended = registry->outputs.Append(Ptr<MessageOutput>(output));
    if (appended != kSuccess)
        return appended;
    Info("Объект вывода сообщений зарегестрирован. [%s]", output->Name().CStr());
    return kSuccess;
}

Result UnregisterOutput(MessageOutput* output)
{
    OutputRegistry* registry = Registry();
    const uint32_t index = output && registry ? IndexOf(*registry, output) : Array<int>::kNotFound;
    if (index == Array<int>::kNotFound)
        return kInvalidArgument;
    Info("Объект вывода сообщений разрегестрирован. [%s]", output->Name().CStr());
    // The message may have changed the registry; find the entry again before removing it.
    const uint32_t current = IndexOf(*registry, output);
    if (current != Array<int>::kNotFound)
        registry->outputs.RemoveAt(current);
    return kSuccess;
}

uint32_t RegisteredOutputCount()
{
    OutputRegistry* registry = Registry();
    return registry ? registry->outputs.Count() : 0;
}

}  // namespace zen
