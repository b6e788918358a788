#pragma once
#include <string>
#include <vector>

namespace zen::tool {

// The words of one line of a `zen batch` list: split at spaces and tabs, a word in double quotes
// kept whole (spaces included, quotes dropped). False when a quote is left open; `words` then
// holds the words before it.
bool SplitBatchLine(const std::string& line, std::vector<std::string>& words);

}  // namespace zen::tool
