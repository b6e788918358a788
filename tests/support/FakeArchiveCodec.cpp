#include "support/FakeArchiveCodec.h"

#include <new>
#include <sstream>

#include "engine/modules/CodecManager.h"
#include "engine/modules/StaticModuleRegistration.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/MemoryFile.h"

namespace zen::test {
namespace {

Directory* EnsureDirectory(Directory* top, const std::string& path)
{
    Directory* current = top;
    std::string segment;
    std::istringstream parts(path);
    while (std::getline(parts, segment, '/')) {
        if (segment.empty())
            continue;
        Directory* next = nullptr;
        for (uint32_t i = 0; i < current->DirectoryCount() && !next; ++i)
            if (current->GetDirectory(i)->Name() == segment.c_str())
                next = current->GetDirectory(i);
        current = next ? next : new Directory(String(segment), current);
    }
    return current;
}

}  // namespace

FakeArchiveCodec::FakeArchiveCodec() : FileCodec(String(kName))
{
    (void)AddExtension(String("fake"));
}

Result FakeArchiveCodec::Load(File* archive, Directory** out, const String& password)
{
    if (!archive || !out)
        return kInvalidArgument;
    lastPassword = password;
    if (archive->Open(File::kRead) != kSuccess)
        return kFailure;
    std::string text(archive->GetSize(), '\0');
    if (!text.empty() && archive->Read(text.data(), static_cast<uint32_t>(text.size())) != kSuccess) {
        (void)archive->Close();
        return kFailure;
    }
    (void)archive->Close();

    Directory* result = new Directory(archive->Name());
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "!fail") {
            delete result;
            return kFailure;
        }
        const size_t colon = line.find(':');
        std::string path = line.substr(0, colon);
        for (char& c : path)
            if (c == '\\')
                c = '/';
        const size_t slash = path.rfind('/');
        Directory* parent = EnsureDirectory(result, slash == std::string::npos ? "" : path.substr(0, slash));
        const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
        if (leaf.empty() || colon == std::string::npos)
            continue;
        auto* file = new MemoryFile(String(leaf));
        (void)parent->AttachFile(file);
        const std::string content = line.substr(colon + 1);
        (void)file->CopyData(content.data(), static_cast<uint32_t>(content.size()));
        file->SetOwnerModule(GetModule());
    }
    *out = result;
    return kSuccess;
}

Result FakeArchiveCodec::Save(File*, Directory*, const String&)
{
    return kFailure;
}

Result FakeArchiveCodec::CreateCodec(Codec** out)
{
    auto* codec = new (std::nothrow) FakeArchiveCodec();
    if (!codec)
        return kOutOfMemory;
    *out = codec;
    return kSuccess;
}

Result FakeArchiveCodec::Install()
{
    const Result registered = RegisterStaticModule(kName, "CreateCodec",
                                                   reinterpret_cast<ModuleEntry>(&FakeArchiveCodec::CreateCodec));
    if (registered != kSuccess)
        return registered;
    return CodecManager::LoadCodec(String(kName));
}

}  // namespace zen::test
