// The saver's presentation: loading screen, fades and the clock and frame-rate overlays.
// The presentation layer (its quad, effects and glyph textures) is built on the renderer's
// texture effects and arrives with them; until then the full-screen saver stops at
// CreateVisuals with a clear line instead of drawing a scene without its frame.
#include "app/Saver.h"
#include "engine/core/MessageLog.h"

namespace brightfold {

int Saver::CreateVisuals()
{
    zen::Error("Слой отображения скринсейвера недоступен в этой сборке.");
    return 1;
}

int Saver::DestroyVisuals()
{
    return 0;  // Nothing was made.
}

int Saver::ShowLoadingScreen()
{
    return 0;
}

void Saver::DrawOverlays() {}

}  // namespace brightfold
