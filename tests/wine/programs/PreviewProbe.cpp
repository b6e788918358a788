// Holds the saver's preview in its own process, so that what the preview paints reaches the
// screen: Wine shows no pixels of a child window whose parent belongs to another process, so a
// parent made by a separate program cannot be read back from the screen.
//   PreviewProbe.exe /p ########## OUT FLAG
// makes a 152 x 112 window "Preview Probe", writes its number over the placeholder of its own
// command line (where the saver reads its switches) and runs the saver's process entry on a
// second thread; the saver then makes its preview child inside that window. OUT gets
// "hwnd <number>", then, once FLAG exists and the window is destroyed, "saver <result>".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/SaverProcess.h"
#include "app/SceneSaver.h"
#include "tests/wine/programs/ProbeOutput.h"

namespace {

brightfold::Saver* MakeSaver()
{
    return new brightfold::SceneSaver;
}

DWORD WINAPI RunSaver(void* result)
{
    *static_cast<int*>(result) = brightfold::SaverProcess::Run(MakeSaver);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5 || std::strcmp(argv[1], "/p") != 0 || !probe::OpenOutput(argv[3]))
        return 2;
    const char* flag = argv[4];
    HWND parent = probe::PreviewParent("PreviewProbe", "Preview Probe");
    if (!parent)
        return 1;

    // The placeholder after "/p" becomes the window's number, padded with spaces.
    char* line = GetCommandLineA();
    char* placeholder = std::strstr(line, argv[2]);
    const std::string number = std::to_string(reinterpret_cast<uintptr_t>(parent));
    if (!placeholder || number.size() > std::strlen(argv[2]))
        return 1;
    std::memset(placeholder, ' ', std::strlen(argv[2]));
    std::memcpy(placeholder, number.data(), number.size());
    probe::Line("hwnd %s", number.c_str());

    int result = -1;
    HANDLE saver = CreateThread(nullptr, 0, &RunSaver, &result, 0, nullptr);
    if (!saver)
        return 1;
    MSG message;
    bool destroyed = false;
    for (;;) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!destroyed && GetFileAttributesA(flag) != INVALID_FILE_ATTRIBUTES) {
            DestroyWindow(parent);
            destroyed = true;
        }
        if (MsgWaitForMultipleObjects(1, &saver, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
    }
    CloseHandle(saver);
    probe::Line("saver %d", result);
    probe::CloseOutput();
    return 0;
}
