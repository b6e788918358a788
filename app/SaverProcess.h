#pragma once
#include "app/Saver.h"
#include "engine/core/FileMessageOutput.h"
#include "engine/core/Ptr.h"

namespace brightfold {

// What the process entry does around the one Saver: open the log file
// (<application data>/Brightfold/ZENLog.txt, truncated), create the saver, walk it through
// CreateSaver, RunSaver and DestroySaver, and end the log. A fault that escapes the lifecycle
// is caught here and ends the run with result 1 and a final log line.
class SaverProcess {
public:
    using SaverFactory = Saver* (*)();

    // 0 on a normal end (whatever the saver's own results), 1 when a fault ended the run.
    static int Run(SaverFactory makeSaver);

    // Called from a last-chance fault handler: writes the fault line and closes the log.
    static void EndLogAfterFault();

    // Unregisters and closes the log file (its unregistration line is written last). For
    // callers that run several savers in one process, such as tests.
    static void CloseLog();

    // The log file's path, or empty when the application-data folder is unknown.
    static std::string LogFilePath();
};

}  // namespace brightfold
