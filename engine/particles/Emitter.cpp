#include "engine/particles/Emitter.h"

namespace zen {

ZEN_IMPLEMENT_ABSTRACT_CLASS(Emitter, Object, kStartupOtherClasses)

}  // namespace zen
