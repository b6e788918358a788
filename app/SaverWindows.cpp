// The saver's windows: the preview child window, or the full-screen window and device made
// through the renderer. Neither the dialog nor the settings-only modes need a window.
#include "app/Saver.h"
#include "engine/core/MessageLog.h"

namespace brightfold {

int Saver::CreateWindows()
{
    switch (m_mode) {
    case kModeConfigure:
    case kModeChangePassword:
        return 0;
    default:
        zen::Error("Оконный слой скринсейвера недоступен в этой сборке.");
        return 1;
    }
}

int Saver::DestroyWindows()
{
    return 0;
}

int Saver::RunSettingsDialog()
{
    zen::Error("Диалог настроек недоступен в этой сборке.");
    return 1;
}

int Saver::RunPreview()
{
    zen::Error("Окно предварительного просмотра недоступно в этой сборке.");
    return 1;
}

}  // namespace brightfold
