#include "app/SceneSaver.h"

#include "engine/anim/ScreensaverController.h"
#include "engine/core/Array.h"
#include "engine/core/MessageLog.h"
#include "engine/modules/SceneLoader.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorEffect.h"
#include "engine/scene/RenderState.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/SceneNodeEffect.h"
#include "engine/scene/TextureEffect.h"
#include "engine/scene/Triangles.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNode2.h"
#include "engine/vfs/FileManager.h"

namespace brightfold {

SceneSaver::SceneSaver() = default;

SceneSaver::~SceneSaver() = default;

float SceneSaver::ShotFadeAlpha(float fadeSeconds, float fadeInStart, float duration, float timeInShot)
{
    // A single shot never fades. Before the fade-in starts (or past the end, in a late frame)
    // the rules give more than full black: the colour's alpha stops at 1.
    if (!(fadeSeconds > 0.0f))
        return 0.0f;
    const float remaining = duration - timeInShot;
    const float elapsed = timeInShot - fadeInStart;
    float alpha = 0.0f;
    if (remaining <= fadeSeconds)
        alpha = fadeSeconds - remaining;
    else if (elapsed <= fadeSeconds)
        alpha = fadeSeconds - elapsed;
    return alpha < 0.0f ? 0.0f : (alpha > 1.0f ? 1.0f : alpha);
}

uint32_t SceneSaver::RemoveSceneEffects(zen::Object* root, const char* typeName)
{
    if (!root)
        return 0;
    const zen::String type(typeName);
    zen::Array<zen::Object*> nodes;
    root->CollectByType(&zen::SceneNode::TYPE, nodes);
    uint32_t removed = 0;
    for (uint32_t n = 0; n < nodes.Count(); ++n) {
        auto* node = static_cast<zen::SceneNode*>(nodes[n]);
        for (uint32_t e = 0; e < node->EffectCount();) {
            zen::SceneNodeEffect* effect = node->GetEffect(e);
            if (effect && effect->GetRtti()->DerivesFrom(type) && node->RemoveEffect(effect) == zen::kSuccess)
                ++removed;
            else
                ++e;
        }
    }
    return removed;
}

int SceneSaver::Update(double seconds)
{
    if (m_scene && m_scene->IsDerivedFrom(&zen::Node::TYPE))
        static_cast<zen::Node*>(m_scene.Get())->UpdateState(seconds, true);
    return 0;
}

int SceneSaver::Render()
{
    zen::Renderer* renderer = zen::Renderer::Current();
    if (!renderer)
        return 1;
    if (m_scene && m_scene->IsDerivedFrom(&zen::Node::TYPE))
        static_cast<zen::Node*>(m_scene.Get())->DrawIfVisible(renderer);
    renderer->FlushDeferred();

    DrawFade(FadeAlpha());
    return 0;
}

float SceneSaver::FadeAlpha() const
{
    // The shot times come from the scene's director; a scene without one is never darkened.
    const zen::ScreensaverController::Set* set = m_director ? m_director->CurrentSet() : nullptr;
    if (!set)
        return 0.0f;
    const float fade = m_director->SetCount() == 1 ? 0.0f : 1.0f;
    return ShotFadeAlpha(fade, static_cast<float>(set->fadeInStart), static_cast<float>(set->duration),
                         static_cast<float>(m_director->TimeInSet()));
}

void SceneSaver::DrawFade(float alpha)
{
    zen::Renderer* renderer = zen::Renderer::Current();
    if (!renderer || !m_quad || !m_fadeEffect || !(alpha > 0.0f))
        return;
    const zen::Ptr<zen::Camera> previous(renderer->GetCamera());
    UseOverlayCamera();
    PlaceQuad(0, 0, 1, 1);
    m_fadeEffect->SetColor(zen::Vector4{0, 0, 0, alpha});
    (void)m_quad->SetEffect(m_fadeEffect.Get());
    DrawOverlayQuad();
    (void)m_quad->SetEffect(m_spriteEffect.Get());
    renderer->SetCamera(previous.Get());
}

int SceneSaver::DrawSettingsPicture(void*, uint32_t message, uintptr_t, intptr_t)
{
    constexpr uint32_t kInitialisation = 0x0110;  // WM_INITDIALOG
    return message == kInitialisation ? 1 : 0;
}

int SceneSaver::AdjustDialog()
{
    constexpr int kVolumeLabel = 11023, kVolume = 1020;
    if (!m_store.Defaults().music) {
        platform::ShowDialogControl(m_window, kVolumeLabel, false);
        platform::ShowDialogControl(m_window, kVolume, false);
    }
    return 0;
}

int SceneSaver::CreateOverlay()
{
    m_fadeEffect = new (std::nothrow) zen::ColorEffect();
    if (!m_fadeEffect) {
        zen::Error("Недостаточно памяти для создания эффекта затемнения.");
        return 1;
    }
    (void)m_fadeEffect->SetBlending(true, zen::RenderState::kBlendSourceAlpha,
                                    zen::RenderState::kBlendInverseSourceAlpha);
    return 0;
}

int SceneSaver::DestroyOverlay()
{
    m_fadeEffect = nullptr;
    return 0;
}

int SceneSaver::CreateData()
{
    zen::File* file = zen::FileManager::FindFile(zen::String("Main.STR"));
    if (!file) {
        zen::Error("Невозможно найти файл данных скринсейвера.");
        return 1;
    }
    zen::Object* root = nullptr;
    if (zen::LoadScene(file, &root) != zen::kSuccess) {
        zen::Error("Невозможно загрузить данные скринсейвера из файла.");
        return 1;
    }
    AdoptScene(root);
    TuneSounds(CurrentSettings().music, CurrentSettings().sfx);
    return 0;
}

void SceneSaver::TuneSounds(bool music, bool sfx)
{
    if (!m_scene)
        return;
    if (!sfx) {
        // Every sound but the music falls silent and stops. The alternating nodes (gulls) are
        // sound effects too: left alone they would go on calling with effects switched off.
        zen::Array<zen::Object*> nodes;
        m_scene->CollectByType(&zen::SoundNode::TYPE, nodes);
        for (uint32_t i = 0; i < nodes.Count(); ++i) {
            auto* node = static_cast<zen::SoundNode*>(nodes[i]);
            if (node->Name() == "Music")
                continue;
            node->SetVolume(0);
            node->SetPlaying(false);
            if (node->Channel())
                zen::SoundManager::ChannelStop(node->Channel());
        }
        zen::Array<zen::Object*> alternating;
        m_scene->CollectByType(&zen::SoundNode2::TYPE, alternating);
        for (uint32_t i = 0; i < alternating.Count(); ++i) {
            auto* node = static_cast<zen::SoundNode2*>(alternating[i]);
            node->SetVolume(0);
            for (uint32_t channel : {node->ChannelA(), node->ChannelB()})
                if (channel)
                    zen::SoundManager::ChannelStop(channel);
        }
    }
    if (!music) {
        // The music is only muted, not stopped.
        zen::Object* found = m_scene->FindByName(zen::String("Music"));
        if (found && found->IsDerivedFrom(&zen::SoundNode::TYPE))
            static_cast<zen::SoundNode*>(found)->SetVolume(0);
    }
}

void SceneSaver::AdoptScene(zen::Object* root)
{
    m_scene = root;
    m_director = nullptr;
    // Without depth textures the shadow-map passes could only draw garbage: drop them.
    const zen::Renderer* renderer = zen::Renderer::Current();
    if (renderer && !renderer->GetCapabilities().hardwareShadowMaps)
        (void)RemoveSceneEffects(m_scene.Get(), "ZEN.ShadowmapEffect");
    if (m_scene) {
        zen::Array<zen::Object*> directors;
        m_scene->CollectByType(&zen::ScreensaverController::TYPE, directors);
        if (directors.Count() > 0)
            m_director = static_cast<zen::ScreensaverController*>(directors[0]);
    }
}

int SceneSaver::DestroyData()
{
    m_director = nullptr;
    m_scene = nullptr;
    return 0;
}

}  // namespace brightfold
