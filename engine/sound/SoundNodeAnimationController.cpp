#include "engine/sound/SoundNodeAnimationController.h"

#include "engine/core/Startup.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundNode.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SoundNodeAnimationController, AnimationController, kStartupOtherClasses)

void SoundNodeAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&SoundNode::TYPE))
        return;
    SoundNode& node = static_cast<SoundNode&>(*m_owner);
    const uint32_t channel = node.Channel();
    if (!SwitchValue()) {
        if (channel && SoundManager::ChannelIsActive(channel))
            SoundManager::ChannelStop(channel);
        node.SetPlaying(false);
        if (channel)
            SoundManager::ChannelStop(channel);
        return;
    }
    if (channel && !SoundManager::ChannelIsActive(channel))
        SoundManager::ChannelPlay(channel, true);
    node.SetPlaying(true);
    if (channel)
        SoundManager::ChannelPlay(channel, false);
}

}  // namespace zen
