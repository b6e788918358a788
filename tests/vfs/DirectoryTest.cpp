#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/vfs/Directory.h"
#include "engine/vfs/MemoryFile.h"
#include "support/LogCapture.h"

namespace zen {
namespace {

// A file that reports its destruction, to check who destroys what.
class TrackedFile : public MemoryFile {
public:
    TrackedFile(const char* name, int* destroyed) : MemoryFile(String(name)), m_destroyed(destroyed) {}
    ~TrackedFile() override { ++*m_destroyed; }

private:
    int* m_destroyed;
};

MemoryFile* AddFile(Directory& directory, const char* name)
{
    auto* file = new MemoryFile(String(name));
    EXPECT_EQ(directory.AttachFile(file), kSuccess);
    return file;
}

// The names of a directory's subdirectories (with `files`, of its files), in their order.
std::vector<std::string> Names(const Directory& directory, bool files = false)
{
    std::vector<std::string> names;
    const uint32_t count = files ? directory.FileCount() : directory.DirectoryCount();
    for (uint32_t i = 0; i < count; ++i)
        names.push_back((files ? directory.GetFile(i)->Name() : directory.GetDirectory(i)->Name()).Std());
    return names;
}

// root
//   Media.rar2
//     Readme.txt
//     Tex
//       Sub
//         deep.bmp
//       wall.bmp
//     Scenes
//       Main.STR
class DirectoryTree : public ::testing::Test {
protected:
    DirectoryTree()
    {
        media = new Directory(String("Media.rar2"), &root);
        tex = new Directory(String("Tex"), media);
        sub = new Directory(String("Sub"), tex);
        scenes = new Directory(String("Scenes"), media);
        readme = AddFile(*media, "Readme.txt");
        wall = AddFile(*tex, "wall.bmp");
        deep = AddFile(*sub, "deep.bmp");
        mainScene = AddFile(*scenes, "Main.STR");
    }

    Directory root;
    Directory* media;
    Directory* tex;
    Directory* sub;
    Directory* scenes;
    File* readme;
    File* wall;
    File* deep;
    File* mainScene;
};

TEST_F(DirectoryTree, BareNamesAreFoundAnywhereBelow)
{
    EXPECT_EQ(root.FindFile(String("Main.STR")), mainScene);
    EXPECT_EQ(root.FindFile(String("deep.bmp")), deep);
    EXPECT_EQ(media->FindFile(String("Readme.txt")), readme);
    EXPECT_EQ(root.FindFile(String("main.str")), nullptr);  // Names are case-sensitive.
    EXPECT_EQ(scenes->FindFile(String("wall.bmp")), nullptr);  // Only below, never beside or above.
}

TEST_F(DirectoryTree, BackslashAndSlashResolveTheSameFile)
{
    EXPECT_EQ(media->FindFile(String("Tex\\wall.bmp")), wall);
    EXPECT_EQ(media->FindFile(String("Tex/wall.bmp")), wall);
    EXPECT_EQ(media->FindFile(String("Tex\\Sub\\deep.bmp")), deep);
    EXPECT_EQ(media->FindFile(String("Tex/Sub/deep.bmp")), deep);
    EXPECT_EQ(media->FindFile(String("Tex\\Sub/deep.bmp")), deep);
    EXPECT_EQ(root.FindFile(String("Media.rar2/Scenes/Main.STR")), mainScene);
    // The file part of a path is itself searched below the directory it names.
    EXPECT_EQ(media->FindFile(String("Tex/deep.bmp")), deep);
    EXPECT_EQ(media->FindFile(String("Scenes/deep.bmp")), nullptr);
    EXPECT_EQ(media->FindFile(String("Nowhere/wall.bmp")), nullptr);
}

TEST_F(DirectoryTree, SpecialPathsOfFindDirectory)
{
    EXPECT_EQ(root.FindDirectory(String("..")), nullptr);
    EXPECT_EQ(root.FindDirectory(String(".")), &root);
    EXPECT_EQ(root.FindDirectory(String("")), &root);
    EXPECT_EQ(tex->FindDirectory(String("Tex")), tex);  // Its own name.
    EXPECT_EQ(tex->FindDirectory(String("..")), media);
    EXPECT_EQ(sub->FindDirectory(String("../..")), media);
    EXPECT_EQ(sub->FindDirectory(String("..\\..\\Scenes")), scenes);
    EXPECT_EQ(media->FindDirectory(String("/Tex")), tex);  // A leading separator stays here.
    EXPECT_EQ(media->FindDirectory(String("./Tex/./Sub")), sub);
    EXPECT_EQ(media->FindDirectory(String("Tex/Sub/")), sub);
    EXPECT_EQ(media->FindDirectory(String("tex")), nullptr);
    EXPECT_EQ(root.FindDirectory(String("../Media.rar2")), nullptr);
}

TEST_F(DirectoryTree, ASubdirectoryNamedLikeItsParentIsReachable)
{
    Directory* inner = new Directory(String("Tex"), tex);
    File* innerFile = AddFile(*inner, "inner.bmp");
    EXPECT_EQ(media->FindDirectory(String("Tex/Tex")), inner);
    EXPECT_EQ(media->FindDirectory(String("Tex\\Tex")), inner);
    EXPECT_EQ(media->FindFile(String("Tex\\Tex\\inner.bmp")), innerFile);
    EXPECT_EQ(tex->FindDirectory(String("Tex")), tex);  // The whole path still names the directory itself.
}

TEST_F(DirectoryTree, PathsJoinNamesWithSlashes)
{
    EXPECT_EQ(root.GetPath(), String(""));
    EXPECT_EQ(media->GetPath(), String("Media.rar2/"));
    EXPECT_EQ(sub->GetPath(), String("Media.rar2/Tex/Sub/"));
    EXPECT_EQ(deep->GetPath(), String("Media.rar2/Tex/Sub/deep.bmp"));
    MemoryFile loose(String("loose.txt"));
    EXPECT_EQ(loose.GetPath(), String("loose.txt"));
}

TEST_F(DirectoryTree, AttachingTwiceKeepsOneEntry)
{
    test::LogCapture log;
    EXPECT_EQ(media->AttachDirectory(tex), kInvalidArgument);
    EXPECT_EQ(Names(*media), (std::vector<std::string>{"Tex", "Scenes"}));
    EXPECT_EQ(media->AttachFile(readme), kInvalidArgument);
    EXPECT_EQ(media->FileCount(), 1u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Присоединяемая директория [Tex] уже присоединена к директории [Media.rar2].",
                               "WARNING. Присоединяемый файл [Readme.txt] уже присоединена к директории [Media.rar2].",
                           }));
}

TEST_F(DirectoryTree, NullAndUnknownEntriesAreRefused)
{
    test::LogCapture log;
    EXPECT_EQ(media->AttachDirectory(nullptr), kInvalidArgument);
    EXPECT_EQ(media->DetachDirectory(nullptr), kInvalidArgument);
    EXPECT_EQ(media->AttachFile(nullptr), kInvalidArgument);
    EXPECT_EQ(media->DetachFile(nullptr), kInvalidArgument);
    EXPECT_EQ(media->DetachDirectory(sub), kInvalidArgument);
    EXPECT_EQ(media->DetachFile(deep), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Указатель на присоединяемую директорию равен 0. Корневая директория [Media.rar2].",
                               "WARNING. Указатель на отсоединяемую директорию равен 0. Корневая директория [Media.rar2].",
                               "WARNING. Указатель на присоединяемый файл равен 0. Корневая директория [Media.rar2].",
                               "WARNING. Указатель на отсоединяемый файл равен 0. Корневая директория [Media.rar2].",
                               "WARNING. Удаляемая директория [Sub] не найдена в директории [Media.rar2].",
                               "WARNING. Удаляемый файл [deep.bmp] не найден в директории [Media.rar2].",
                           }));
    EXPECT_EQ(sub->Parent(), tex);
    EXPECT_EQ(deep->Parent(), sub);
}

TEST_F(DirectoryTree, DetachingGivesTheEntryBackWithoutDestroyingIt)
{
    test::LogCapture log;
    ASSERT_EQ(media->DetachDirectory(tex), kSuccess);
    ASSERT_EQ(tex->DetachFile(wall), kSuccess);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Директория [Tex] удалена из директории [Media.rar2].",
                               "INFO. Файл [wall.bmp] удалён из директории [Tex].",
                           }));
    EXPECT_EQ(tex->Parent(), nullptr);
    EXPECT_EQ(wall->Parent(), nullptr);
    EXPECT_EQ(root.FindFile(String("deep.bmp")), nullptr);
    EXPECT_EQ(tex->FindFile(String("deep.bmp")), deep);
    delete wall;
    delete tex;
}

TEST_F(DirectoryTree, AnEntryOfAnotherDirectoryMovesInsteadOfHavingTwoOwners)
{
    ASSERT_EQ(scenes->AttachDirectory(sub), kSuccess);
    EXPECT_EQ(tex->DirectoryCount(), 0u);
    EXPECT_EQ(sub->Parent(), scenes);
    EXPECT_EQ(deep->GetPath(), String("Media.rar2/Scenes/Sub/deep.bmp"));  // Paths follow the move.
    ASSERT_EQ(media->AttachFile(deep), kSuccess);
    EXPECT_EQ(sub->FileCount(), 0u);
    EXPECT_EQ(deep->Parent(), media);
    // Destroying the tree destroys each once (the sanitizer build catches a second delete).
}

TEST_F(DirectoryTree, ADirectoryCannotContainItself)
{
    test::LogCapture log;
    EXPECT_EQ(sub->AttachDirectory(media), kInvalidArgument);
    EXPECT_EQ(tex->AttachDirectory(tex), kInvalidArgument);
    EXPECT_EQ(log.Lines(),
              (std::vector<std::string>{
                  "WARNING. Директория [Media.rar2] не может быть присоединена к директории [Sub], которую она содержит.",
                  "WARNING. Директория [Tex] не может быть присоединена к директории [Tex], которую она содержит.",
              }));
    EXPECT_EQ(media->Parent(), &root);
    EXPECT_EQ(root.FindFile(String("deep.bmp")), deep);
}

TEST(Directory, DestroyingDetachesAndDestroysEverythingBelow)
{
    int destroyed = 0;
    Directory root(String("Root"));
    Directory* a = new Directory(String("A"), &root);
    Directory* b = new Directory(String("B"), a);
    ASSERT_EQ(a->AttachFile(new TrackedFile("a.txt", &destroyed)), kSuccess);
    ASSERT_EQ(b->AttachFile(new TrackedFile("b.txt", &destroyed)), kSuccess);
    test::LogCapture log;
    delete a;
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(root.DirectoryCount(), 0u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Удаляется директория [A].",
                               "INFO. Директория [A] удалена из директории [Root].",
                               "INFO. Удаляется директория [B].",
                               "INFO. Удаляется файл [b.txt].",
                               "INFO. Директория удалена [B].",
                               "INFO. Удаляется файл [a.txt].",
                               "INFO. Директория удалена [A].",
                           }));
}

TEST(Directory, AFileDestroyedByItsOwnerLeavesTheDirectory)
{
    Directory root(String("Root"));
    File* file = AddFile(root, "x.txt");
    test::LogCapture log;
    delete file;
    EXPECT_EQ(root.FileCount(), 0u);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Удаляется файл [x.txt].",
                               "INFO. Файл [x.txt] удалён из директории [Root].",
                           }));
}

// A new entry goes before the first entry whose first byte is smaller, compared as signed bytes.
TEST(Directory, EntriesAreOrderedByTheirFirstByteAsSigned)
{
    Directory root;
    for (const char* name : {"b", "a", "c", "B", "\xE9x", "bb"})
        (void)AddFile(root, name);
    // "b"; "a" after it; "c" before "b"; "B" (0x42) at the end; 0xE9 is negative, so at the end;
    // "bb" before "a", the first entry whose first byte is smaller.
    EXPECT_EQ(Names(root, true), (std::vector<std::string>{"c", "b", "bb", "a", "B", "\xE9x"}));
}

TEST(Directory, EmptyNamesAreOrderedByLength)
{
    Directory root;
    (void)new Directory(String(""), &root);
    (void)new Directory(String("ab"), &root);  // Before the empty name, which is shorter.
    (void)new Directory(String(""), &root);    // Nothing is shorter: at the end.
    EXPECT_EQ(Names(root), (std::vector<std::string>{"ab", "", ""}));
}

TEST(Directory, BareNameSearchIsDepthFirstInEntryOrder)
{
    Directory root;
    Directory* first = new Directory(String("S1"), &root);
    Directory* second = new Directory(String("S2"), &root);  // Same first byte: after S1.
    Directory* deeper = new Directory(String("T"), first);
    File* deep = AddFile(*deeper, "x");
    (void)AddFile(*second, "x");
    ASSERT_EQ(Names(root), (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(root.FindFile(String("x")), deep);  // Depth first: S1/T/x before S2/x.
    File* own = AddFile(root, "x");
    EXPECT_EQ(root.FindFile(String("x")), own);  // A directory's own files come first.
}

}  // namespace
}  // namespace zen
