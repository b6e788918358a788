#include "engine/anim/NodeKeyframe.h"

#include "engine/core/Stream.h"

namespace zen {

Result NodeKeyframe::SaveFields(Stream& stream)
{
    Result result = stream.WriteVector3(translation);
    if (result == kSuccess)
        result = stream.WriteQuaternion(rotation);
    if (result == kSuccess)
        result = stream.WriteVector3(scale);
    return result;
}

Result NodeKeyframe::LoadFields(Stream& stream)
{
    Result result = stream.ReadVector3(translation);
    if (result == kSuccess)
        result = stream.ReadQuaternion(rotation);
    if (result == kSuccess)
        result = stream.ReadVector3(scale);
    return result;
}

}  // namespace zen
