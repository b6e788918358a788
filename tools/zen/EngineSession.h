#pragma once
#include <initializer_list>
#include <string>

#include "engine/core/Object.h"
#include "engine/core/Ptr.h"
#include "engine/core/Result.h"

namespace zen::tool {

// The engine for the length of one command: started on construction (every registered class,
// manager and module, as in the program), stopped on destruction. Release engine objects before
// the session ends. What the engine logs goes to the file given with `zen --log FILE`.
class EngineSession {
public:
    EngineSession();
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    // False (with a line on stderr) when the engine did not start.
    bool Started() const { return m_started; }
    // Finds each module and creates its codec, as the program does at start. False (with a line
    // on stderr) at the first that fails.
    bool LoadCodecs(std::initializer_list<const char*> names);

private:
    bool m_started = false;
};

// Reads the scene file at `path` with STRSceneCodec (loaded first by a session's LoadCodecs),
// with the files of its folder in the file tree so that the pictures and sounds it names are
// found.
// The codec's result, kFailure without the codec; on success `root` holds the scene's root,
// which a file may leave null.
Result ReadSceneFile(const std::string& path, Ptr<Object>& root);

}  // namespace zen::tool
