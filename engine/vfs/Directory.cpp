#include "engine/vfs/Directory.h"

#include <string_view>

#include "engine/core/MessageLog.h"
#include "engine/vfs/File.h"

namespace zen {

Directory::Directory(const String& name, Directory* parent) : Named(name)
{
    if (parent && parent->AttachDirectory(this) != kSuccess)
        Warning("Невозможно подсоединить директорию [%s] к корневой директории [%s].", m_name.CStr(),
                parent->Name().CStr());
}

Directory::~Directory()
{
    Info("Удаляется директория [%s].", m_name.CStr());
    if (m_parent) {
        Directory* parent = m_parent;
        if (parent->DetachDirectory(this) != kSuccess)
            Warning("Невозможно отсоединить директорию [%s] от корневой директории [%s].", m_name.CStr(),
                    parent->Name().CStr());
    }
    // Children forget their parent first so that they do not detach themselves from a list
    // that is being emptied.
    for (Directory* directory : m_directories) {
        directory->m_parent = nullptr;
        delete directory;
    }
    m_directories.Clear();
    for (File* file : m_files) {
        file->m_parent = nullptr;
        delete file;
    }
    m_files.Clear();
    Info("Директория удалена [%s].", m_name.CStr());
}

bool Directory::GoesBefore(const String& newName, const String& existingName)
{
    if (newName.IsEmpty() || existingName.IsEmpty())
        return existingName.Length() < newName.Length();
    return static_cast<signed char>(existingName[0]) < static_cast<signed char>(newName[0]);
}

template <class Entry>
Result Directory::Insert(Array<Entry*>& entries, Entry* entry)
{
    uint32_t at = entries.Count();
    for (uint32_t i = 0; i < entries.Count(); ++i) {
        if (GoesBefore(entry->Name(), entries[i]->Name())) {
            at = i;
            break;
        }
    }
    const Result appended = entries.Append(entry);
    if (appended != kSuccess)
        return appended;
    for (uint32_t i = entries.Count() - 1; i > at; --i)
        std::swap(entries[i], entries[i - 1]);
    return kSuccess;
}

bool Directory::IsSelfOrAncestorOf(const Directory* directory) const
{
    for (const Directory* d = directory; d; d = d->m_parent)
        if (d == this)
            return true;
    return false;
}

Result Directory::AttachDirectory(Directory* directory)
{
    if (!directory) {
        Warning("Указатель на присоединяемую директорию равен 0. Корневая директория [%s].", m_name.CStr());
        return kInvalidArgument;
    }
    if (m_directories.Contains(directory)) {
        Warning("Присоединяемая директория [%s] уже присоединена к директории [%s].", directory->Name().CStr(),
                m_name.CStr());
        return kInvalidArgument;
    }
    // A directory inside itself would make every search and the destruction endless.
    if (directory->IsSelfOrAncestorOf(this)) {
        Warning("Директория [%s] не может быть присоединена к директории [%s], которую она содержит.",
                directory->Name().CStr(), m_name.CStr());
        return kInvalidArgument;
    }
    // One owner only: an entry of another directory moves here.
    if (directory->m_parent && directory->m_parent->DetachDirectory(directory) != kSuccess)
        return kInvalidArgument;
    const Result inserted = Insert(m_directories, directory);
    if (inserted != kSuccess)
        return inserted;
    directory->m_parent = this;
    Info("Директория [%s] добавлена к директории [%s].", directory->Name().CStr(), m_name.CStr());
    return kSuccess;
}

Result Directory::DetachDirectory(Directory* directory)
{
    if (!directory) {
        Warning("Указатель на отсоединяемую директорию равен 0. Корневая директория [%s].", m_name.CStr());
        return kInvalidArgument;
    }
    const uint32_t index = m_directories.IndexOf(directory);
    if (index == Array<Directory*>::kNotFound) {
        Warning("Удаляемая директория [%s] не найдена в директории [%s].", directory->Name().CStr(), m_name.CStr());
        return kInvalidArgument;
    }
    directory->m_parent = nullptr;
    Info("Директория [%s] удалена из директории [%s].", directory->Name().CStr(), m_name.CStr());
    m_directories.RemoveAt(index);
    return kSuccess;
}

Result Directory::AttachFile(File* file)
{
    if (!file) {
        Warning("Указатель на присоединяемый файл равен 0. Корневая директория [%s].", m_name.CStr());
        return kInvalidArgument;
    }
    if (m_files.Contains(file)) {
        Warning("Присоединяемый файл [%s] уже присоединена к директории [%s].", file->Name().CStr(), m_name.CStr());
        return kInvalidArgument;
    }
    if (file->m_parent && file->m_parent->DetachFile(file) != kSuccess)
        return kInvalidArgument;
    const Result inserted = Insert(m_files, file);
    if (inserted != kSuccess)
        return inserted;
    file->m_parent = this;
    Info("Файл [%s] добавлен к директории [%s].", file->Name().CStr(), m_name.CStr());
    return kSuccess;
}

Result Directory::DetachFile(File* file)
{
    if (!file) {
        Warning("Указатель на отсоединяемый файл равен 0. Корневая директория [%s].", m_name.CStr());
        return kInvalidArgument;
    }
    const uint32_t index = m_files.IndexOf(file);
    if (index == Array<File*>::kNotFound) {
        Warning("Удаляемый файл [%s] не найден в директории [%s].", file->Name().CStr(), m_name.CStr());
        return kInvalidArgument;
    }
    file->m_parent = nullptr;
    Info("Файл [%s] удалён из директории [%s].", file->Name().CStr(), m_name.CStr());
    m_files.RemoveAt(index);
    return kSuccess;
}

Directory* Directory::FindDirectory(const String& path)
{
    if (path.IsEmpty() || path == "." || path == m_name)
        return this;
    return FindRelative(path);
}

// The path is walked one head at a time. The whole-path match on the own name applies only to
// the path as given: applied again to the rest it would make "A/A" name the outer "A" and hide
// a subdirectory called like its parent.
Directory* Directory::FindRelative(const String& path)
{
    Directory* current = this;
    std::string_view rest = path.View();
    while (!rest.empty() && rest != ".") {
        size_t separator = rest.find('\\');
        if (separator == std::string_view::npos)
            separator = rest.find('/');
        const std::string_view head = rest.substr(0, separator);
        rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 1);
        if (head.empty() || head == ".")
            continue;
        if (head == "..") {
            current = current->m_parent;
            if (!current)
                return nullptr;
            continue;
        }
        const uint32_t index =
            current->m_directories.IndexOfIf([head](const Directory* d) { return d->Name().View() == head; });
        if (index == Array<Directory*>::kNotFound)
            return nullptr;
        current = current->m_directories[index];
    }
    return current;
}

File* Directory::FindFile(const String& path)
{
    uint32_t separator = path.FindLast('\\');
    if (separator == String::kNotFound)
        separator = path.FindLast('/');
    if (separator != String::kNotFound) {
        Directory* directory = FindDirectory(path.Substring(0, separator));
        return directory ? directory->FindFile(path.Substring(separator + 1)) : nullptr;
    }
    return FindBareName(path);
}

File* Directory::FindBareName(const String& name)
{
    for (File* file : m_files)
        if (file->Name() == name)
            return file;
    for (Directory* directory : m_directories)
        if (File* found = directory->FindBareName(name))
            return found;
    return nullptr;
}

String Directory::GetPath() const
{
    if (m_name.IsEmpty())
        return String();
    String path = m_parent ? m_parent->GetPath() : String();
    path += m_name;
    path += std::string_view("/");
    return path;
}

}  // namespace zen
