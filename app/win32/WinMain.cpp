// Process entry of Brightfold.scr. The command line is read through the system (the screensaver
// host passes /s, /c, /p <window>, /a), so WinMain's own arguments are not used.
#include <windows.h>

#include "app/SaverProcess.h"
#include "app/SceneSaver.h"
#include "platform/Platform.h"

namespace {

// A structured fault (access violation and the like) that nothing else handled: end the log
// with its fault line so the file is complete, then end the process with result 1 without
// running anything else in a state that can no longer be trusted.
LONG WINAPI EndAfterFault(EXCEPTION_POINTERS*)
{
    brightfold::SaverProcess::EndLogAfterFault();
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_EXECUTE_HANDLER;
}

brightfold::Saver* MakeSaver()
{
    return new brightfold::SceneSaver;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    platform::NotifyScreenSaverRunning();
    SetUnhandledExceptionFilter(EndAfterFault);
    return brightfold::SaverProcess::Run(MakeSaver);
}
