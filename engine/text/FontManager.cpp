#include "engine/text/FontManager.h"

#include <new>

#include "engine/core/Engine.h"
#include "engine/core/HashMap.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/core/Startup.h"
#include "engine/text/Font.h"

namespace zen {
namespace {

using FontTable = HashMap<String, Ptr<Font>, StringHash>;
FontTable* g_fonts = nullptr;  // Owned; null outside engine start and stop.

EngineRegistration s_registerFonts ZEN_STARTUP(kStartupFontManager)(&FontManager::Initialize, &FontManager::Terminate);

}  // namespace

Result FontManager::Initialize()
{
    Info("Инициализация менеджера шрифтов.");
    delete g_fonts;
    g_fonts = new (std::nothrow) FontTable(32);
    if (!g_fonts) {
        Error("Недостаточно памяти для инициализации менеджера шрифтов.");
        return kFailure;
    }
    Info("Менеджер шрифтов инициализирован.");
    return kSuccess;
}

Result FontManager::Terminate()
{
    Info("Завершение работы менеджера шрифтов.");
    delete g_fonts;  // Drops the reference of every font held.
    g_fonts = nullptr;
    Info("Менеджер шрифтов завершил работу.");
    return kSuccess;
}

Result FontManager::Register(const String& name, Font* font)
{
    if (!g_fonts || !font)
        return kInvalidArgument;
    if (g_fonts->Find(name))
        return kFailure;
    return g_fonts->Insert(name, Ptr<Font>(font));
}

Font* FontManager::Find(const String& name)
{
    if (!g_fonts)
        return nullptr;
    Ptr<Font>* found = g_fonts->Find(name);
    return found ? found->Get() : nullptr;
}

uint32_t FontManager::Count()
{
    return g_fonts ? g_fonts->Count() : 0;
}

}  // namespace zen
