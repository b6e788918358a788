#pragma once
#include <cstdio>

#include "engine/core/MessageOutput.h"

namespace zen {

// Writes each message as one line with a level prefix ("INFO. ", "WARNING. ", "ERROR. ",
// "CRITICAL ERROR. ", "UNKNOWN. ") to a file that is truncated when the output is made. The
// text is written as its bytes (code page 1251). No flush per line: the file is complete when
// the output is destroyed or the process ends normally.
class FileMessageOutput : public MessageOutput {
public:
    // An empty `name` names the output after `path`; an empty `path` opens nothing.
    FileMessageOutput(const String& path, const String& name = String());
    ~FileMessageOutput() override;

    void Write(uint32_t level, const String& text) override;
    bool IsOpen() const { return m_file != nullptr; }

private:
    std::FILE* m_file = nullptr;  // Owned; null when opening failed or the path was empty.
};

}  // namespace zen
