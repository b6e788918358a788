#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// The subcommands of the `zen` tool. A command registers itself from its own source file with
// a static CommandRegistration, so main.cpp dispatches `zen <family> <verb> ...` without knowing
// the commands:
//
//     int RunCheck(const std::vector<std::string>& arguments);
//     static zen::tool::CommandRegistration s_check(
//         {"scene", "check", "FILE.STR", "load a scene file and print its root", &RunCheck});
//
// `arguments` are the words after the verb (global options such as --log already removed).
// A command returns kExitSuccess, kExitFailure (the work failed; say why on stderr) or
// kExitUsage (bad arguments; use PrintUsage).
namespace zen::tool {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Command {
    const char* family;     // First word, e.g. "scene".
    const char* verb;       // Second word, e.g. "check"; empty for a one-word command ("render").
    const char* arguments;  // For usage lines, e.g. "FILE.STR".
    const char* summary;    // One line for `zen help`.
    int (*run)(const std::vector<std::string>& arguments);
};

class CommandTable {
public:
    static void Add(const Command& command);
    static const Command* Find(std::string_view family, std::string_view verb);
    // The command `words` name: family and verb, or a one-word command followed by its
    // arguments. `used` gets the number of words the name took (1 or 2). Null when none.
    static const Command* Match(const std::vector<std::string>& words, size_t& used);
    static bool HasFamily(std::string_view family);
    static std::vector<Command> Sorted();  // By family, then verb.
};

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { CommandTable::Add(command); }
};

// Writes "usage: zen <family> <verb> <arguments>" to stderr and returns kExitUsage.
int PrintUsage(const Command& command);
// The usage lines of every command (for `zen help` and usage errors).
void PrintCommandList(std::FILE* out, std::string_view family = {});

}  // namespace zen::tool
