#pragma once
#include <string>
#include <vector>

#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"

namespace zen::test {

// Registers an in-memory message output for the life of the object and keeps every line as it
// would appear in the log file ("INFO. text"), in code page 1251 bytes like the program writes.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();

    const std::vector<std::string>& Lines() const;
    bool Contains(const std::string& line) const;        // An exact line.
    bool ContainsText(const std::string& fragment) const; // A fragment of any line.
    // Index of the first exact line at or after `from`, or -1.
    int IndexOf(const std::string& line, int from = 0) const;
    // Empty when the exact `lines` stand in this order (others between them); else the first
    // one missing, then the whole log.
    std::string MissingInOrder(const std::vector<std::string>& lines) const;
    void Clear();
    std::string Joined() const;  // All lines, each ended by "\n".

private:
    class Output;
    Ptr<Output> m_output;
};

}  // namespace zen::test
