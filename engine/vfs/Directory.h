#pragma once
#include <cstdint>

#include "engine/core/Array.h"
#include "engine/core/Named.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class File;

// A node of the in-memory file tree: a name, a raw link to the parent and the subdirectories
// and files it owns outright (destroying a directory destroys everything below it). Directories
// are not reference counted. Lookups take paths separated by "\\" or "/"; a bare file name is
// searched for through the whole subtree, depth first, in entry order.
class Directory : public Named {
public:
    // With a parent, attaches itself to it (a failure is logged and leaves it unattached).
    explicit Directory(const String& name = String(), Directory* parent = nullptr);
    ~Directory() override;  // Detaches from the parent, then destroys subdirectories and files.
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Tree building. Attach takes ownership: kSuccess, or kInvalidArgument for null, an entry
    // already in this directory, or a directory that would contain itself. An entry owned by
    // another directory is moved from there first. Detach gives ownership back to the caller
    // without destroying: kSuccess, or kInvalidArgument for null or an entry not found here.
    Result AttachDirectory(Directory* directory);
    Result DetachDirectory(Directory* directory);
    Result AttachFile(File* file);
    Result DetachFile(File* file);

    // Lookups; null when nothing matches (nothing is logged).
    // "", "." and this directory's own name give this directory; ".." the parent; an empty
    // head (a leading separator) stays here. Names compare exactly (case-sensitive).
    Directory* FindDirectory(const String& path);
    // A path with a separator resolves its directory part with FindDirectory and then looks for
    // the rest there; a bare name is searched through the whole subtree, depth first.
    File* FindFile(const String& path);

    // Full path: the parent's path, the name and "/"; empty for a directory with an empty name.
    String GetPath() const;
    Directory* Parent() const { return m_parent; }

    uint32_t DirectoryCount() const { return m_directories.Count(); }
    Directory* GetDirectory(uint32_t index) const { return m_directories[index]; }
    uint32_t FileCount() const { return m_files.Count(); }
    File* GetFile(uint32_t index) const { return m_files[index]; }

private:
    Directory* FindRelative(const String& path);  // FindDirectory without the own-name rule.
    File* FindBareName(const String& name);       // Depth-first search of the subtree.
    bool IsSelfOrAncestorOf(const Directory* directory) const;
    // Entry order: a new entry goes before the first existing entry whose name starts with a
    // smaller byte (signed); when either name is empty, before the first shorter one; at the end
    // otherwise. Only the order of bare-name searches depends on it.
    static bool GoesBefore(const String& newName, const String& existingName);
    template <class Entry>
    static Result Insert(Array<Entry*>& entries, Entry* entry);

    Directory* m_parent = nullptr;                // Not owned: the directory that owns this one.
    Array<Directory*> m_directories{1, 1};        // Owned.
    Array<File*> m_files{1, 1};                   // Owned.
};

}  // namespace zen
