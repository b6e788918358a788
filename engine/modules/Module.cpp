#include "engine/modules/Module.h"

#include "engine/core/MessageLog.h"

namespace zen {

void Module::RunShutdown()
{
    ModuleShutdownFunction shutdown = nullptr;
    if (GetEntry(String("Shutdown"), shutdown) != kSuccess) {
        Warning("В модуле не найдена функция завершения работы модуля [%s].", m_name.CStr());
        return;
    }
    if (shutdown() != kSuccess)
        Error("Неудачно завершение работы модуля.");
}

}  // namespace zen
