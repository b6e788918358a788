#include "engine/text/LearnSystem.h"

#include <cstdio>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Startup.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Image.h"
#include "engine/scene/Texture.h"
#include "engine/text/TagParser.h"
#include "engine/text/TextureFont2.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LearnSystem, Node, kStartupOtherClasses)

namespace {

// "%f, %f" and the like: values that do not parse stay 0.
void ReadFloats(const std::string& text, float* out, int count)
{
    float v[4] = {0, 0, 0, 0};
    if (count == 1)
        (void)std::sscanf(text.c_str(), "%f", &v[0]);
    else if (count == 2)
        (void)std::sscanf(text.c_str(), "%f, %f", &v[0], &v[1]);
    else
        (void)std::sscanf(text.c_str(), "%f, %f, %f, %f", &v[0], &v[1], &v[2], &v[3]);
    for (int i = 0; i < count; ++i)
        out[i] = v[i];
}

}  // namespace

LearnSystem::LearnSystem() = default;

LearnSystem::~LearnSystem() = default;

void LearnSystem::Clear()
{
    m_activators.clear();
    m_messages.clear();
    m_styles.clear();
    m_fonts.clear();
    m_textures.clear();
    m_currentCamera.clear();
    m_currentActivator = -1;
}

void LearnSystem::SetConfigFile(const String& name)
{
    m_configFile = name;
    (void)LoadConfiguration();
}

int LearnSystem::LoadConfiguration()
{
    Clear();
    Info("Загрузка обучающей системы. Имя[%s] ID[%d]", Name().CStr(), ID());
    int code = 3;
    File* file = FileManager::FindFile(m_configFile);
    if (file) {
        code = file->Open(File::kRead) == kSuccess ? 0 : 1;
        if (code == 0) {
            const uint8_t* bytes = file->Data();
            code = bytes ? LoadConfigurationText(reinterpret_cast<const char*>(bytes), file->GetSize())
                         : LoadConfigurationText("", 0);
            (void)file->Close();
            return code;
        }
    }
    Warning("Невозможно загрузить конфигурацию [%d]. Имя[%s] ID[%d]", code, Name().CStr(), ID());
    return code;
}

int LearnSystem::LoadConfigurationText(const char* text, uint32_t size)
{
    Clear();
    TagElement root;
    const int parsed = TagParser::Parse(text, size, &root);
    if (parsed != 0) {
        Warning("Невозможно загрузить конфигурацию [%d]. Имя[%s] ID[%d]", parsed, Name().CStr(), ID());
        return parsed;
    }
    if (root.name != "LS") {
        Warning("Неверный файл конфигурации. Имя[%s] ID[%d]", Name().CStr(), ID());
        return 1;
    }
    try {
        for (const TagElement& section : root.children) {
            if (section.name == "Textures") {
                Info("\tЗагрузка текстур.");
                LoadTextures(section);
                Info("\tЗагрузка текстур завершена.");
            } else if (section.name == "Fonts") {
                Info("\tЗагрузка шрифтов.");
                LoadFonts(section);
                Info("\tЗагрузка шрифтов завершена.");
            } else if (section.name == "Styles") {
                Info("\tЗагрузка стилей.");
                LoadStyles(section);
                Info("\tЗагрузка стилей завершена.");
            } else if (section.name == "Messages") {
                Info("\tЗагрузка сообщений.");
                LoadMessages(section);
                Info("\tЗагрузка сообщений завершена.");
            } else if (section.name == "Activators") {
                Info("\tЗагрузка активаторов.");
                LoadActivators(section);
                Info("\tЗагрузка активаторов завершена.");
            }
        }
        Info("\tПостроение сообщений.");
        for (LearnMessage& message : m_messages)
            (void)message.Build(m_styles);
        Info("\tПостроение сообщений завершено.");
    } catch (const std::bad_alloc&) {
        Error("Недостаточно памяти для загрузки обучающей системы. Имя[%s] ID[%d]", Name().CStr(), ID());
        Clear();
        return 2;
    }
    Info("Загрузка обучающей системы закончена. Имя[%s] ID[%d]", Name().CStr(), ID());
    return 0;
}

Texture* LearnSystem::FindTexture(const std::string& name) const
{
    for (const Ptr<Texture>& texture : m_textures)
        if (texture && name == texture->Name().CStr())
            return texture.Get();
    return nullptr;
}

void LearnSystem::LoadTextures(const TagElement& section)
{
    int index = 0;
    for (const TagElement& item : section.children) {
        Info("\t\tТекстура [%d]", index++);
        std::string name;
        Ptr<Texture> made;
        for (const TagElement& key : item.children) {
            if (key.name == "Name") {
                name = key.value;
                Info("\t\t\tИмя [%s]", name.c_str());
            } else if (key.name == "File") {
                Info("\t\t\tФайл [%s]", key.value.c_str());
                File* file = FileManager::FindFile(String(key.value.c_str()));
                Ptr<Image> image(file ? new (std::nothrow) Image(file, String(key.value.c_str())) : nullptr);
                if (!image || !image->Data()) {
                    Warning("\t\t\tФайл не загружен [%s]", key.value.c_str());
                    continue;
                }
                made = new (std::nothrow) Texture(String(), image.Get());
            }
        }
        // The name may come before or after the file.
        if (made) {
            made->SetName(String(name.c_str()));
            m_textures.push_back(made);
        }
    }
}

void LearnSystem::LoadFonts(const TagElement& section)
{
    int index = 0;
    for (const TagElement& item : section.children) {
        Info("\t\tШрифт [%d]", index++);
        Ptr<TextureFont2> font(new (std::nothrow) TextureFont2());
        if (!font)
            continue;
        for (const TagElement& key : item.children) {
            if (key.name == "Name") {
                Info("\t\t\tИмя [%s]", key.value.c_str());
                font->SetName(String(key.value.c_str()));
            } else if (key.name == "Texture") {
                Info("\t\t\tТекстура [%s]", key.value.c_str());
                Texture* texture = FindTexture(key.value);
                if (!texture)
                    Warning("\t\t\tТекстура не найдена [%s]", key.value.c_str());
                else
                    font->SetTexture(texture);
            } else if (key.name == "ParamsFile") {
                Info("\t\t\tФайл параметров [%s]", key.value.c_str());
                font->SetParameterFile(String(key.value.c_str()));
            }
        }
        m_fonts.push_back(font);
    }
}

void LearnSystem::LoadStyles(const TagElement& section)
{
    int index = 0;
    for (const TagElement& item : section.children) {
        Info("\t\tСтиль [%d]", index++);
        LearnStyle style;
        for (const TagElement& key : item.children) {
            if (key.name == "Name") {
                style.name = key.value;
                Info("\t\t\tИмя [%s]", key.value.c_str());
            } else if (key.name == "Font") {
                style.font = nullptr;
                for (const Ptr<TextureFont2>& font : m_fonts)
                    if (key.value == font->Name().CStr()) {
                        style.font = font;
                        break;
                    }
                if (style.font)
                    Info("\t\t\tШрифт [%s]", key.value.c_str());
                else
                    Warning("\t\t\tШрифт не найден [%s]", key.value.c_str());
            } else if (key.name == "Size") {
                Info("\t\t\tРазмер [%s]", key.value.c_str());
                ReadFloats(key.value, style.size, 2);
            } else if (key.name == "Color") {
                Info("\t\t\tЦвет [%s]", key.value.c_str());
                float c[4];
                ReadFloats(key.value, c, 4);
                style.colour = Vector4{c[0], c[1], c[2], c[3]};
            }
        }
        m_styles.push_back(std::move(style));
    }
}

void LearnSystem::LoadMessages(const TagElement& section)
{
    int index = 0;
    for (const TagElement& item : section.children) {
        Info("\t\tСообщение [%d]", index++);
        LearnMessage message;
        for (const TagElement& key : item.children) {
            const char* value = key.value.c_str();
            if (key.name == "Name") {
                message.name = key.value;
                Info("\t\t\tИмя [%s]", value);
            } else if (key.name == "Position") {
                Info("\t\t\tПозиция [%s]", value);
                ReadFloats(key.value, message.position, 2);
            } else if (key.name == "Size") {
                Info("\t\t\tРазмер [%s]", value);
                ReadFloats(key.value, message.size, 2);
            } else if (key.name == "Back") {
                Info("\t\t\tТекстура заднего фона [%s]", value);
                message.back = FindTexture(key.value);
                if (!message.back)
                    Warning("\t\t\tТекстура заднего фона не найдена [%s]", value);
            } else if (key.name == "BackColor") {
                Info("\t\t\tЦвет заднего фона [%s]", value);
                float c[4];
                ReadFloats(key.value, c, 4);
                message.backColour = Vector4{c[0], c[1], c[2], c[3]};
            } else if (key.name == "Borders") {
                Info("\t\t\tОтступы [%s]", value);
                ReadFloats(key.value, message.borders, 4);
            } else if (key.name == "Value") {
                Info("\t\t\tЗначение [%s]", value);
                message.value = key.value;
            }
        }
        m_messages.push_back(std::move(message));
    }
}

void LearnSystem::LoadActivators(const TagElement& section)
{
    int index = 0;
    for (const TagElement& item : section.children) {
        Info("\t\tАктиватор [%d]", index++);
        LearnActivator activator;
        for (const TagElement& key : item.children) {
            const char* value = key.value.c_str();
            if (key.name == "Camera") {
                activator.camera = key.value;
                Info("\t\t\tКамера [%s]", value);
            } else if (key.name == "Messages") {
                for (const TagElement& named : key.children)
                    for (uint32_t m = 0; m < m_messages.size(); ++m)
                        if (m_messages[m].name == named.value) {
                            activator.messages.push_back(m);
                            Info("\t\t\tСообщение [%s]", named.value.c_str());
                            break;
                        }
            } else if (key.name == "InTime") {
                ReadFloats(key.value, &activator.inTime, 1);
                Info("\t\t\tНачальное смещение [%s] сек", value);
            } else if (key.name == "OutTime") {
                ReadFloats(key.value, &activator.outTime, 1);
                Info("\t\t\tКонечное смещение [%s] сек", value);
            } else if (key.name == "FadeTime") {
                ReadFloats(key.value, &activator.fadeTime, 1);
                Info("\t\t\tЗатухание [%s] сек", value);
            } else if (key.name == "ShowTime") {
                ReadFloats(key.value, &activator.showTime, 1);
                Info("\t\t\tПоказ [%s] сек", value);
            }
        }
        m_activators.push_back(std::move(activator));
    }
}

void LearnSystem::Update(double time)
{
    Node::Update(time);
    const Renderer* renderer = Renderer::Current();
    const Camera* camera = renderer ? renderer->GetCamera() : nullptr;
    if (!camera)
        return;
    const char* name = camera->Name().CStr();
    if (m_currentCamera == name) {
        if (m_currentActivator >= 0)
            m_activators[static_cast<size_t>(m_currentActivator)].time += static_cast<float>(time);
        return;
    }
    m_currentCamera = name;
    m_currentActivator = -1;
    for (size_t i = 0; i < m_activators.size(); ++i)
        if (m_activators[i].camera == m_currentCamera) {
            m_currentActivator = static_cast<int32_t>(i);
            m_activators[i].Activate();
            break;
        }
}

void LearnSystem::DrawIfVisible(Renderer* renderer)
{
    Draw(renderer);
}

void LearnSystem::Draw(Renderer* renderer)
{
    if (!renderer || m_currentActivator < 0)
        return;
    LearnActivator& activator = m_activators[static_cast<size_t>(m_currentActivator)];
    const float opacity = activator.Opacity();
    if (opacity < 0.0f || activator.message < 0)
        return;
    LearnMessage& message = m_messages[activator.messages[static_cast<size_t>(activator.message)]];
    if (!m_screenCamera) {
        m_screenCamera = new (std::nothrow) Camera();
        if (!m_screenCamera)
            return;
        m_screenCamera->SetFixedMatrices(Matrix4::Identity(), Camera::ScreenProjection());
    }
    // What the scene queued is drawn under its own camera before the panel covers it.
    renderer->FlushDeferred();
    const Ptr<Camera> previous(renderer->GetCamera());
    renderer->SetCamera(m_screenCamera.Get());
    message.Draw(opacity);
    renderer->SetCamera(previous.Get());
}

Result LearnSystem::Save(Stream& stream)
{
    if (Node::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteString(m_configFile) != kSuccess) {
        Error("Невозможно сохранить файл конфигурации обучающей системы. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result LearnSystem::Load(Stream& stream)
{
    if (Node::Load(stream) != kSuccess)
        return ParentLoadFailed();
    String configFile;
    if (stream.ReadString(configFile) != kSuccess) {
        Error("Невозможно загрузить файл конфигурации обучающей системы. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    SetConfigFile(configFile);
    return kSuccess;
}

}  // namespace zen
