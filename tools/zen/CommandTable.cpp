#include "zen/CommandTable.h"

#include <algorithm>
#include <cstdio>

namespace zen::tool {
namespace {

std::vector<Command>& Table()
{
    static std::vector<Command> table;  // Filled by static initialisers of any order.
    return table;
}

}  // namespace

void CommandTable::Add(const Command& command)
{
    Table().push_back(command);
}

const Command* CommandTable::Find(std::string_view family, std::string_view verb)
{
    for (const Command& command : Table())
        if (family == command.family && verb == command.verb)
            return &command;
    return nullptr;
}

const Command* CommandTable::Match(const std::vector<std::string>& words, size_t& used)
{
    if (words.size() >= 2)
        if (const Command* command = Find(words[0], words[1])) {
            used = 2;
            return command;
        }
    if (!words.empty())
        if (const Command* command = Find(words[0], "")) {
            used = 1;
            return command;
        }
    return nullptr;
}

bool CommandTable::HasFamily(std::string_view family)
{
    return std::any_of(Table().begin(), Table().end(), [family](const Command& c) { return family == c.family; });
}

std::vector<Command> CommandTable::Sorted()
{
    std::vector<Command> sorted = Table();
    std::sort(sorted.begin(), sorted.end(), [](const Command& a, const Command& b) {
        const int family = std::string_view(a.family).compare(b.family);
        return family != 0 ? family < 0 : std::string_view(a.verb) < std::string_view(b.verb);
    });
    return sorted;
}

int PrintUsage(const Command& command)
{
    std::fprintf(stderr, "usage: zen %s%s%s %s\n", command.family, *command.verb ? " " : "", command.verb,
                 command.arguments);
    return kExitUsage;
}

void PrintCommandList(std::FILE* out, std::string_view family)
{
    for (const Command& command : CommandTable::Sorted()) {
        if (!family.empty() && family != command.family)
            continue;
        std::string line = std::string("zen ") + command.family;
        if (*command.verb)
            line += std::string(" ") + command.verb;
        line += std::string(" ") + command.arguments;
        if (line.size() > 40)
            std::fprintf(out, "  %s\n  %-40s %s\n", line.c_str(), "", command.summary);
        else
            std::fprintf(out, "  %-40s %s\n", line.c_str(), command.summary);
    }
}

}  // namespace zen::tool
