#include "modules/codecs/RAR2FileCodec.h"

#include <new>
#include <string>
#include <vector>

#include "engine/core/MessageLog.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2Extractor.h"
#include "modules/codecs/Rar2Name.h"
#include "modules/codecs/Rar2Writer.h"

namespace zen {

ZEN_REGISTER_CODEC_MODULE(kStartupModuleRar2, "RAR2FileCodec", &CreateCodecObject<RAR2FileCodec>);

namespace {

// The direct subdirectory of that name (exact match), or null. FindDirectory is not used: it
// takes a name equal to the directory's own as the directory itself, which would fold "a\a\x"
// into "a".
Directory* FindChildDirectory(Directory* parent, const String& name)
{
    for (uint32_t i = 0; i < parent->DirectoryCount(); ++i)
        if (parent->GetDirectory(i)->Name() == name)
            return parent->GetDirectory(i);
    return nullptr;
}

File* FindChildFile(Directory* parent, const String& name)
{
    for (uint32_t i = 0; i < parent->FileCount(); ++i)
        if (parent->GetFile(i)->Name() == name)
            return parent->GetFile(i);
    return nullptr;
}

// Walks down `count` parts from `root`, creating missing directories (archives need not list a
// directory before its contents). Null when a part cannot be made.
Directory* EnsureDirectories(Directory* root, const std::vector<std::string>& parts, size_t count)
{
    Directory* current = root;
    for (size_t i = 0; i < count; ++i) {
        const String name(parts[i]);
        Directory* next = FindChildDirectory(current, name);
        if (!next) {
            next = new (std::nothrow) Directory(name);
            if (!next)
                return nullptr;
            if (current->AttachDirectory(next) != kSuccess) {
                delete next;
                return nullptr;
            }
        }
        current = next;
    }
    return current;
}

const char* DescribeFailure(Rar2EntryStatus status)
{
    switch (status) {
    case Rar2EntryStatus::kUnsupported:
        return "неподдерживаемый формат";
    case Rar2EntryStatus::kNoPassword:
        return "файл зашифрован, пароль не задан";
    case Rar2EntryStatus::kCorrupt:
        return "данные повреждены";
    case Rar2EntryStatus::kBadCrc:
        return "неверная контрольная сумма";
    case Rar2EntryStatus::kOutOfMemory:
        return "недостаточно памяти";
    default:
        return "";
    }
}

// Builds the result directory while the extractor hands out entries.
class TreeBuilder {
public:
    TreeBuilder(Directory* root, const String& archiveName, Module* module)
        : m_root(root), m_archiveName(archiveName), m_module(module)
    {
    }

    Result Status() const { return m_status; }

    void Add(const Rar2Entry& entry, Rar2EntryStatus status, std::vector<uint8_t>& data)
    {
        if (m_status != kSuccess)
            return;
        const String name = RAR2FileCodec::EngineName(entry);
        const std::vector<std::string> parts = Rar2Name::SplitPath(name.View());
        if (!Rar2Name::IsSafe(name.View()) || parts.empty()) {
            Warning("Имя файла в архиве [%s] недопустимо. Файл пропущен.", name.CStr());
            return;
        }
        if (status == Rar2EntryStatus::kDirectory) {
            if (!EnsureDirectories(m_root, parts, parts.size()))
                m_status = kOutOfMemory;
            return;
        }

        Directory* parent = EnsureDirectories(m_root, parts, parts.size() - 1);
        if (!parent) {
            m_status = kOutOfMemory;
            return;
        }
        const String fileName(parts.back());
        if (FindChildDirectory(parent, fileName)) {
            Warning("Файл [%s] в архиве совпадает по имени с директорией. Файл пропущен.", name.CStr());
            return;
        }
        // A name met twice: the later entry replaces the earlier one's content, unless the later
        // copy cannot be unpacked: then the earlier good copy stays rather than be lost.
        MemoryFile* file = static_cast<MemoryFile*>(FindChildFile(parent, fileName));
        if (file && file->DataBlock() && status != Rar2EntryStatus::kExtracted) {
            Warning("Файл [%s] архива [%s] не распакован: %s. Оставлена предыдущая копия.", name.CStr(),
                    m_archiveName.CStr(), DescribeFailure(status));
            return;
        }
        if (!file) {
            file = new (std::nothrow) MemoryFile(fileName);
            if (!file || parent->AttachFile(file) != kSuccess) {
                delete file;
                m_status = kOutOfMemory;
                return;
            }
        }
        file->SetOwnerModule(m_module);
        if (status != Rar2EntryStatus::kExtracted) {
            file->SetData(nullptr, 0);
            Warning("Файл [%s] архива [%s] не распакован: %s.", name.CStr(), m_archiveName.CStr(),
                    DescribeFailure(status));
            return;
        }
        if (entry.IsSymbolicLink())
            Warning("Символическая ссылка [%s] в архиве сохранена как обычный файл.", name.CStr());
        if (file->CopyData(data.data(), static_cast<uint32_t>(data.size())) != kSuccess) {
            m_status = kOutOfMemory;
            return;
        }
        std::vector<uint8_t>().swap(data);
    }

private:
    Directory* m_root;       // Not owned: the directory under construction.
    const String& m_archiveName;
    Module* m_module;        // The codec's module; each file takes a reference.
    Result m_status = kSuccess;
};

// Adds the files of `directory` and its subdirectories to the writer, paths relative to the
// directory written. Engine names are code page 1251; the archive gets them as Unicode.
void AddTree(Rar2Writer& writer, Directory* directory, const std::string& prefix, Result& status)
{
    for (uint32_t i = 0; i < directory->DirectoryCount() && status == kSuccess; ++i) {
        Directory* child = directory->GetDirectory(i);
        const std::string path = prefix + child->Name().Std();
        const Result added = writer.AddDirectory(Rar2Name::FromCp1251(path));
        if (added != kSuccess) {
            Warning("Директория [%s] не может быть записана в архив.", path.c_str());
            status = added == kOutOfMemory ? kOutOfMemory : kSuccess;
            continue;
        }
        AddTree(writer, child, path + "\\", status);
    }
    for (uint32_t i = 0; i < directory->FileCount() && status == kSuccess; ++i) {
        File* file = directory->GetFile(i);
        const std::string path = prefix + file->Name().Std();
        if (file->Open(File::kRead) != kSuccess) {
            Warning("Файл [%s] не может быть прочитан и не записан в архив.", path.c_str());
            continue;
        }
        const Result added = writer.AddFile(Rar2Name::FromCp1251(path), file->Data(), file->GetSize());
        (void)file->Close();
        if (added == kOutOfMemory)
            status = kOutOfMemory;
        else if (added != kSuccess)
            Warning("Файл [%s] не может быть записан в архив.", path.c_str());
    }
}

}  // namespace

RAR2FileCodec::RAR2FileCodec() : FileCodec(String("RAR2FileCodec"))
{
    (void)AddExtension(String("rar2"));
    (void)AddExtension(String("RAR2"));
    (void)AddExtension(String("Rar2"));
}

String RAR2FileCodec::EngineName(const Rar2Entry& entry)
{
    std::string name;
    if (!entry.unicodeName.empty() && Rar2Name::ToCp1251(entry.unicodeName, name))
        return String(name);
    return String(entry.name);
}

MemoryFile* RAR2FileCodec::FindEntryFile(Directory* tree, const String& name)
{
    const std::vector<std::string> parts = Rar2Name::SplitPath(name.View());
    if (!tree || parts.empty())
        return nullptr;
    Directory* current = tree;
    for (size_t i = 0; i + 1 < parts.size() && current; ++i)
        current = FindChildDirectory(current, String(parts[i]));
    // Every file of a tree that Load made is a MemoryFile.
    return current ? static_cast<MemoryFile*>(FindChildFile(current, String(parts.back()))) : nullptr;
}

Result RAR2FileCodec::Load(File* archive, Directory** out, const String& password)
{
    if (!archive || !out)
        return kInvalidArgument;
    if (archive->Open(File::kRead) != kSuccess)
        return kFailure;

    // The archive is read in place from the open file's buffer.
    Rar2Archive reader;
    if (reader.Open(archive->Data(), archive->GetSize()) != kSuccess) {
        Error("Файл [%s] не является архивом RAR.", archive->Name().CStr());
        (void)archive->Close();
        return kFailure;
    }
    if (reader.IsTruncated())
        Warning("Архив [%s] повреждён или обрезан; прочитано файлов: %u.", archive->Name().CStr(),
                reader.EntryCount());

    Directory* root = new (std::nothrow) Directory(archive->Name());
    if (!root) {
        (void)archive->Close();
        return kOutOfMemory;
    }
    TreeBuilder builder(root, archive->Name(), GetModule());
    Rar2Extractor extractor;
    Result result = extractor.ExtractAll(reader, password.View(),
                                         [&](uint32_t, const Rar2Entry& entry, Rar2EntryStatus status,
                                             std::vector<uint8_t>& data) { builder.Add(entry, status, data); });
    if (result == kSuccess)
        result = builder.Status();
    if (archive->Close() != kSuccess && result == kSuccess)
        result = kFailure;
    if (result != kSuccess) {
        delete root;
        return result;
    }
    *out = root;
    return kSuccess;
}

Result RAR2FileCodec::Save(File* archive, Directory* directory, const String& password)
{
    if (!archive || !directory)
        return kFailure;
    Rar2Writer writer(Rar2Writer::Method::kCompress);
    writer.SetPassword(password.View());
    Result status = kSuccess;
    AddTree(writer, directory, std::string(), status);
    std::vector<uint8_t> bytes;
    if (status != kSuccess || writer.Write(bytes) != kSuccess) {
        Error("Невозможно создать архив [%s].", archive->Name().CStr());
        return kFailure;
    }
    if (archive->Open(File::kWrite) != kSuccess)
        return kFailure;
    if (archive->Write(bytes.data(), static_cast<uint32_t>(bytes.size())) != kSuccess) {
        (void)archive->Close();
        return kFailure;
    }
    return archive->Close() == kSuccess ? kSuccess : kFailure;
}

}  // namespace zen
