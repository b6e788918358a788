// The line splitter of `zen batch` lists over arbitrary bytes: never out of bounds, never more
// characters out than in, and, on lines without quotes, the same words as a plain split.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "zen/BatchList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    std::vector<std::string> words;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const bool whole = zen::tool::SplitBatchLine(line, words);
        size_t total = 0;
        for (const std::string& word : words)
            total += word.size();
        if (total > line.size())
            std::abort();
        if (line.find('"') == std::string::npos) {
            std::vector<std::string> plain;
            std::string word;
            for (char c : line + ' ') {
                if (c == ' ' || c == '\t') {
                    if (!word.empty())
                        plain.push_back(word);
                    word.clear();
                } else {
                    word += c;
                }
            }
            if (!whole || plain != words)
                std::abort();
        }
        start = end + 1;
    }
    return 0;
}
