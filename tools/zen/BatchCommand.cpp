// `zen batch LIST`: runs the zen command lines of a text file one after another in this one
// process. Under Wine each start of the tool costs more than drawing a small picture, so a test
// that wants a hundred pictures asks for them in one list.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/FileMessageOutput.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "zen/BatchList.h"
#include "zen/CommandTable.h"

namespace zen::tool {
namespace {

int RunBatch(const std::vector<std::string>& arguments);

CommandRegistration s_batch({"batch", "", "LIST",
                             "run each line of LIST as a zen command line (words split at spaces, \"quoted\" "
                             "words kept whole, a line's own --log FILE for its log; empty lines and lines "
                             "starting with # skipped), all in this process; fails when any line fails",
                             &RunBatch});

// Longest line and most lines a list may hold: a list is written by a test or a script, and
// a larger one is a mistake (or not a list at all).
constexpr size_t kMaxLineLength = 64 * 1024;
constexpr size_t kMaxLines = 100000;

// One line's command, with its own log when it names one.
int RunLine(std::vector<std::string> words, size_t number)
{
    std::string logPath;
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--log")
            continue;
        if (i + 1 >= words.size()) {
            std::fprintf(stderr, "zen: line %zu of the list: --log needs a file name\n", number);
            return kExitUsage;
        }
        logPath = words[i + 1];
        words.erase(words.begin() + static_cast<long>(i), words.begin() + static_cast<long>(i) + 2);
        break;
    }
    size_t nameWords = 0;
    const Command* command = words.empty() ? nullptr : CommandTable::Match(words, nameWords);
    if (!command || command->run == &RunBatch) {
        std::fprintf(stderr, "zen: line %zu of the list names no command it can run\n", number);
        return kExitUsage;
    }
    Ptr<FileMessageOutput> log;
    if (!logPath.empty()) {
        log = new FileMessageOutput(String(logPath));
        if (!log->IsOpen()) {
            std::fprintf(stderr, "zen: line %zu of the list: cannot write the log file %s\n", number, logPath.c_str());
            return kExitFailure;
        }
        (void)RegisterOutput(log.Get());
    }
    const int code = command->run(std::vector<std::string>(words.begin() + static_cast<long>(nameWords), words.end()));
    if (log)
        (void)UnregisterOutput(log.Get());
    return code;
}

int RunBatch(const std::vector<std::string>& arguments)
{
    if (arguments.size() != 1)
        return PrintUsage(*CommandTable::Find("batch", ""));
    std::ifstream list(arguments[0], std::ios::binary);
    if (!list) {
        std::fprintf(stderr, "zen: cannot read the list %s\n", arguments[0].c_str());
        return kExitFailure;
    }
    // Every line runs, so one failure shows all the others' results too.
    size_t number = 0, ran = 0, failed = 0;
    std::string line;
    std::vector<std::string> words;
    while (std::getline(list, line)) {
        if (++number > kMaxLines || line.size() > kMaxLineLength) {
            std::fprintf(stderr, "zen: the list %s is too long (line %zu)\n", arguments[0].c_str(), number);
            return kExitFailure;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool split = SplitBatchLine(line, words);
        if (!split)
            std::fprintf(stderr, "zen: line %zu of the list leaves a quote open\n", number);
        if (split && (words.empty() || words[0][0] == '#'))
            continue;
        ++ran;
        // Each command's own output follows its line's number, so a reader can tell them apart.
        std::printf("line %zu\n", number);
        std::fflush(stdout);
        const int code = split ? RunLine(words, number) : kExitUsage;
        std::fflush(stdout);
        if (code != kExitSuccess) {
            ++failed;
            std::fprintf(stderr, "zen: line %zu of the list failed (exit code %d)\n", number, code);
        }
    }
    std::printf("%zu of %zu command lines succeeded\n", ran - failed, ran);
    return failed == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace zen::tool
