#include "app/SceneSaver.h"

#include "engine/core/MessageLog.h"
#include "engine/modules/SceneLoader.h"
#include "engine/vfs/FileManager.h"

namespace brightfold {

SceneSaver::SceneSaver() = default;

SceneSaver::~SceneSaver() = default;

int SceneSaver::Update(double)
{
    return 0;
}

int SceneSaver::Render()
{
    return 0;
}

int SceneSaver::CreateOverlay()
{
    return 0;
}

int SceneSaver::DestroyOverlay()
{
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
    m_scene = root;
    return 0;
}

int SceneSaver::DestroyData()
{
    m_scene = nullptr;
    return 0;
}

}  // namespace brightfold
