#include "app/SaverProcess.h"

#include <exception>

#include "engine/core/MessageLog.h"
#include "platform/Platform.h"

namespace brightfold {
namespace {

zen::Ptr<zen::FileMessageOutput> g_logFile;  // Registered while the process runs.

void OpenLog()
{
    const std::string path = SaverProcess::LogFilePath();
    if (path.empty())
        return;  // No folder: the run goes on without a log.
    g_logFile = new zen::FileMessageOutput(zen::String(path));
    (void)zen::RegisterOutput(g_logFile.Get());
}

}  // namespace

std::string SaverProcess::LogFilePath()
{
    std::string folder;
    if (!platform::ApplicationDataFolder(folder))
        return std::string();
    folder += platform::PathSeparator();
    folder += "Brightfold";
    (void)platform::CreateFolder(folder);  // An existing folder is fine; a missing one fails the open.
    return folder + platform::PathSeparator() + "ZENLog.txt";
}

void SaverProcess::EndLogAfterFault()
{
    zen::Error("Конец лога вследствии ошибки");
    if (g_logFile) {
        (void)zen::UnregisterOutput(g_logFile.Get());
        g_logFile = nullptr;
    }
}

int SaverProcess::Run(SaverFactory makeSaver)
{
    OpenLog();
    try {
        zen::Ptr<Saver> saver(makeSaver());
        if (saver->CreateSaver() == 0) {
            zen::Info("Сейвер создан.");
            if (saver->RunSaver() == 0)
                zen::Info("Работа скринсейвера завершена корректно.");
            else
                zen::Error("Работа скринсейвера завершена некорректно.");
        } else {
            zen::Error("Невозможно создать скринсейвер.");
        }
        if (saver->DestroySaver() != 0)
            zen::Error("Ошибка при окончании работы скринсейвера.");
        platform::ShowMouseCursor();
        saver = nullptr;
        zen::Info("Конец лога.");
    } catch (...) {
        EndLogAfterFault();
        return 1;
    }
    // The file output stays registered until the process exits (the log registry's static
    // destructor closes it), so "Конец лога." stays the last line.
    return 0;
}

void SaverProcess::CloseLog()
{
    if (g_logFile) {
        (void)zen::UnregisterOutput(g_logFile.Get());
        g_logFile = nullptr;
    }
}

}  // namespace brightfold
