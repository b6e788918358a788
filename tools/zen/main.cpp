// The `zen` tool: `zen [--log FILE] <family> <verb> [arguments]`. Commands live in their own
// files and register themselves (CommandTable.h); this file only finds and runs them.
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/FileMessageOutput.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "zen/CommandTable.h"

namespace {

using namespace zen::tool;

void PrintHelp(std::FILE* out)
{
    std::fprintf(out,
                 "usage: zen [--log FILE] <family> <verb> [arguments]\n"
                 "  --log FILE   write the engine's log to FILE (otherwise it is dropped)\n"
                 "commands:\n");
    PrintCommandList(out);
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> words;
    std::string logPath;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--log") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zen: --log needs a file name\n");
                return kExitUsage;
            }
            logPath = argv[++i];
        } else {
            words.push_back(word);
        }
    }

    if (words.empty()) {
        PrintHelp(stderr);
        return kExitUsage;
    }
    if (words[0] == "help" || words[0] == "--help" || words[0] == "-h") {
        PrintHelp(stdout);
        return kExitSuccess;
    }
    size_t nameWords = 0;
    const Command* command = CommandTable::Match(words, nameWords);
    if (!command) {
        if (CommandTable::HasFamily(words[0])) {
            std::fprintf(stderr, "zen: unknown %s command%s%s; the %s commands are:\n", words[0].c_str(),
                         words.size() >= 2 ? " " : "", words.size() >= 2 ? words[1].c_str() : "", words[0].c_str());
            PrintCommandList(stderr, words[0]);
        } else {
            std::fprintf(stderr, "zen: unknown command %s (try `zen help`)\n", words[0].c_str());
        }
        return kExitUsage;
    }

    zen::Ptr<zen::FileMessageOutput> log;
    if (!logPath.empty()) {
        log = new zen::FileMessageOutput(zen::String(logPath));
        if (!log->IsOpen()) {
            std::fprintf(stderr, "zen: cannot write the log file %s\n", logPath.c_str());
            return kExitFailure;
        }
        (void)zen::RegisterOutput(log.Get());
    }
    const int code = command->run(std::vector<std::string>(words.begin() + static_cast<long>(nameWords), words.end()));
    if (log)
        (void)zen::UnregisterOutput(log.Get());
    return code;
}
