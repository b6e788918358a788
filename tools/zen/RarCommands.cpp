// `zen rar ...`: RAR 2.0 archives. `list` and `extract` read the archive through the engine's
// archive codec (RAR2FileCodec, on a disk File), exactly as the program attaches its media, and
// take the entry list (names, sizes, methods) from the same bytes. `create` packs a folder with
// the RAR 2.0 writer.
//
// Names on disk are UTF-8: an entry's Unicode form when the archive has one, otherwise its stored
// bytes read as code page 866 (RAR on DOS and Windows stores OEM names; UTF-8 bytes from Unix
// hosts are kept as they are). Extraction stays inside the target folder: unsafe names are
// refused, directories are created as needed, and a symbolic link met on the way (in the target
// or stored in the archive) is never followed; stored links become plain files holding the
// link text.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "engine/core/Crc32.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/FileCodec.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/RAR2FileCodec.h"
#include "modules/codecs/Rar2Archive.h"
#include "modules/codecs/Rar2Format.h"
#include "modules/codecs/Rar2Name.h"
#include "modules/codecs/Rar2Writer.h"
#include "zen/CommandTable.h"
#include "zen/EngineSession.h"

namespace zen::tool {
namespace {

namespace fs = std::filesystem;

int RunList(const std::vector<std::string>& arguments);
int RunExtract(const std::vector<std::string>& arguments);
int RunCreate(const std::vector<std::string>& arguments);

CommandRegistration s_list({"rar", "list", "ARCHIVE [-p PASSWORD]",
                            "unpack a RAR 2.0 archive in memory and list its entries with size and CRC", &RunList});
CommandRegistration s_extract({"rar", "extract", "ARCHIVE FOLDER [-p PASSWORD]",
                               "extract a RAR 2.0 archive into FOLDER (names as UTF-8, never outside FOLDER)",
                               &RunExtract});
CommandRegistration s_create({"rar", "create", "ARCHIVE FOLDER [-p PASSWORD] [--store]",
                              "pack FOLDER into a RAR 2.0 archive (compressed unless --store)", &RunCreate});

// Positional words and the options -p PASSWORD and --store. False for anything else.
struct Arguments {
    std::vector<std::string> words;
    std::string password;
    bool store = false;
};

bool ParseArguments(const std::vector<std::string>& in, bool allowStore, Arguments& out)
{
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == "-p" || in[i] == "--password") {
            if (i + 1 >= in.size())
                return false;
            out.password = in[++i];
        } else if (allowStore && in[i] == "--store") {
            out.store = true;
        } else if (!in[i].empty() && in[i][0] == '-') {
            return false;
        } else {
            out.words.push_back(in[i]);
        }
    }
    return true;
}

fs::path PathFromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The entry's name as UTF-8 with "/" between directories.
std::string DiskName(const Rar2Entry& entry)
{
    std::string name;
    std::u16string wide;
    if (!entry.unicodeName.empty())
        name = Rar2Name::ToUtf8(entry.unicodeName);
    else if (entry.hostSystem == rar2::kHostUnix && Rar2Name::FromUtf8(entry.name, wide))
        name = entry.name;
    else
        name = Rar2Name::ToUtf8(Rar2Name::FromCp866(entry.name));
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

// An archive opened both ways: the codec's tree (the data) and the entry list (the names).
class OpenArchive {
public:
    ~OpenArchive() { delete m_tree; }

    bool Open(const std::string& path, const std::string& password)
    {
        auto* codec = static_cast<FileCodec*>(CodecManager::FindCodec(String("RAR2FileCodec")));
        File file{String(path)};
        if (!codec || codec->Load(&file, &m_tree, String(password)) != kSuccess || !m_tree) {
            std::fprintf(stderr, "zen: %s is not a readable RAR archive (see the log)\n", path.c_str());
            return false;
        }
        std::ifstream in(PathFromUtf8(path), std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (m_bytes.size() > 0xFFFFFFFFu ||
            m_entries.Open(m_bytes.data(), static_cast<uint32_t>(m_bytes.size())) != kSuccess) {
            std::fprintf(stderr, "zen: %s changed while it was read\n", path.c_str());
            return false;
        }
        return true;
    }

    const Rar2Archive& Entries() const { return m_entries; }
    Directory* Tree() const { return m_tree; }

private:
    Directory* m_tree = nullptr;  // Owned.
    std::vector<uint8_t> m_bytes;
    Rar2Archive m_entries;
};

int RunList(const std::vector<std::string>& arguments)
{
    Arguments args;
    if (!ParseArguments(arguments, false, args) || args.words.size() != 1)
        return PrintUsage(*CommandTable::Find("rar", "list"));
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"RAR2FileCodec"}))
        return kExitFailure;
    OpenArchive archive;
    if (!archive.Open(args.words[0], args.password))
        return kExitFailure;

    uint32_t failed = 0;
    std::printf("%-4s %10s %10s %-6s %-8s %-7s %s\n", "type", "size", "packed", "method", "crc", "status", "name");
    for (const Rar2Entry& entry : archive.Entries().Entries()) {
        const String engineName = RAR2FileCodec::EngineName(entry);
        const char* type = entry.IsDirectory() ? "dir" : entry.IsSymbolicLink() ? "link" : "file";
        const char* status = "ok";
        if (!Rar2Name::IsSafe(engineName.View())) {
            status = "unsafe";
            ++failed;
        } else if (!entry.IsDirectory()) {
            MemoryFile* file = RAR2FileCodec::FindEntryFile(archive.Tree(), engineName);
            if (!file || !file->DataBlock()) {
                status = "failed";
                ++failed;
            }
        }
        std::printf("%-4s %10u %10u %-6c %08x %-7s %s\n", type, entry.unpackedSize, entry.packedSize,
                    entry.method >= 0x30 && entry.method <= 0x39 ? static_cast<char>(entry.method) : '?',
                    entry.fileCrc, status, DiskName(entry).c_str());
    }
    if (archive.Entries().IsTruncated())
        std::fprintf(stderr, "zen: the archive is damaged or cut short after %u entries\n",
                     archive.Entries().EntryCount());
    if (failed > 0)
        std::fprintf(stderr, "zen: %u entries cannot be extracted\n", failed);
    return failed == 0 && !archive.Entries().IsTruncated() ? kExitSuccess : kExitFailure;
}

// Walks `count` parts down from `root`, creating directories; refuses anything on the way that
// is a symbolic link or not a directory.
bool MakeDirectories(const fs::path& root, const std::vector<std::string>& parts, size_t count, fs::path& out,
                     std::string& error)
{
    fs::path current = root;
    for (size_t i = 0; i < count; ++i) {
        current /= PathFromUtf8(parts[i]);
        std::error_code code;
        const fs::file_status status = fs::symlink_status(current, code);
        if (fs::is_symlink(status)) {
            error = Utf8FromPath(current) + " is a symbolic link";
            return false;
        }
        if (fs::exists(status)) {
            if (!fs::is_directory(status)) {
                error = Utf8FromPath(current) + " is not a directory";
                return false;
            }
            continue;
        }
        if (!fs::create_directory(current, code) || code) {
            error = "cannot create " + Utf8FromPath(current);
            return false;
        }
    }
    out = current;
    return true;
}

int RunExtract(const std::vector<std::string>& arguments)
{
    Arguments args;
    if (!ParseArguments(arguments, false, args) || args.words.size() != 2)
        return PrintUsage(*CommandTable::Find("rar", "extract"));
    const fs::path target = PathFromUtf8(args.words[1]);
    std::error_code code;
    fs::create_directories(target, code);
    if (!fs::is_directory(target)) {
        std::fprintf(stderr, "zen: cannot create the folder %s\n", args.words[1].c_str());
        return kExitFailure;
    }
    EngineSession engine;
    if (!engine.Started() || !engine.LoadCodecs({"RAR2FileCodec"}))
        return kExitFailure;
    OpenArchive archive;
    if (!archive.Open(args.words[0], args.password))
        return kExitFailure;

    uint32_t files = 0;
    uint32_t directories = 0;
    uint32_t failed = 0;
    for (const Rar2Entry& entry : archive.Entries().Entries()) {
        const String engineName = RAR2FileCodec::EngineName(entry);
        const std::string diskName = DiskName(entry);
        const std::vector<std::string> parts = Rar2Name::SplitPath(diskName);
        if (!Rar2Name::IsSafe(engineName.View()) || !Rar2Name::IsSafe(diskName) || parts.empty()) {
            std::fprintf(stderr, "zen: refused the unsafe name %s\n", diskName.c_str());
            ++failed;
            continue;
        }
        std::string error;
        fs::path path;
        if (entry.IsDirectory()) {
            if (MakeDirectories(target, parts, parts.size(), path, error)) {
                ++directories;
            } else {
                std::fprintf(stderr, "zen: %s: %s\n", diskName.c_str(), error.c_str());
                ++failed;
            }
            continue;
        }
        MemoryFile* file = RAR2FileCodec::FindEntryFile(archive.Tree(), engineName);
        if (!file || !file->DataBlock()) {
            std::fprintf(stderr, "zen: %s cannot be extracted (see the log)\n", diskName.c_str());
            ++failed;
            continue;
        }
        if (!MakeDirectories(target, parts, parts.size() - 1, path, error)) {
            std::fprintf(stderr, "zen: %s: %s\n", diskName.c_str(), error.c_str());
            ++failed;
            continue;
        }
        path /= PathFromUtf8(parts.back());
        const fs::file_status status = fs::symlink_status(path, code);
        if (fs::is_symlink(status) || fs::is_directory(status)) {
            std::fprintf(stderr, "zen: %s: %s is in the way\n", diskName.c_str(),
                         fs::is_symlink(status) ? "a symbolic link" : "a directory");
            ++failed;
            continue;
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file->DataBlock()), static_cast<std::streamsize>(file->DataSize()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "zen: cannot write %s\n", Utf8FromPath(path).c_str());
            ++failed;
            continue;
        }
        if (entry.IsSymbolicLink())
            std::fprintf(stderr, "zen: %s is a symbolic link; written as a plain file holding its target\n",
                         diskName.c_str());
        ++files;
    }
    std::printf("extracted %u files and %u directories", files, directories);
    if (failed > 0)
        std::printf("; %u entries failed", failed);
    std::printf("\n");
    return failed == 0 && !archive.Entries().IsTruncated() ? kExitSuccess : kExitFailure;
}

// Adds the folder's content in name order; symbolic links and special files are left out.
bool AddFolder(Rar2Writer& writer, const fs::path& folder, const std::u16string& prefix, uint32_t& count)
{
    std::vector<fs::directory_entry> entries;
    std::error_code code;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, code))
        entries.push_back(entry);
    if (code) {
        std::fprintf(stderr, "zen: cannot read the folder %s\n", Utf8FromPath(folder).c_str());
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const fs::directory_entry& entry : entries) {
        std::u16string name;
        const std::string utf8 = Utf8FromPath(entry.path().filename());
        if (!Rar2Name::FromUtf8(utf8, name)) {
            std::fprintf(stderr, "zen: %s: the name is not UTF-8; left out\n", Utf8FromPath(entry.path()).c_str());
            continue;
        }
        const std::u16string path = prefix + name;
        const fs::file_status status = entry.symlink_status(code);
        if (fs::is_symlink(status)) {
            std::fprintf(stderr, "zen: %s is a symbolic link; left out\n", Utf8FromPath(entry.path()).c_str());
        } else if (fs::is_directory(status)) {
            if (writer.AddDirectory(path) != kSuccess) {
                std::fprintf(stderr, "zen: %s: the name is too long\n", Utf8FromPath(entry.path()).c_str());
                return false;
            }
            ++count;
            if (!AddFolder(writer, entry.path(), path + u"\\", count))
                return false;
        } else if (fs::is_regular_file(status)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.eof() && in.fail()) {
                std::fprintf(stderr, "zen: cannot read %s\n", Utf8FromPath(entry.path()).c_str());
                return false;
            }
            if (bytes.size() > 0xFFFFFFFFu ||
                writer.AddFile(path, bytes.data(), static_cast<uint32_t>(bytes.size())) != kSuccess) {
                std::fprintf(stderr, "zen: %s cannot be packed (name or size too large)\n",
                             Utf8FromPath(entry.path()).c_str());
                return false;
            }
            ++count;
        } else {
            std::fprintf(stderr, "zen: %s is not a regular file; left out\n", Utf8FromPath(entry.path()).c_str());
        }
    }
    return true;
}

int RunCreate(const std::vector<std::string>& arguments)
{
    Arguments args;
    if (!ParseArguments(arguments, true, args) || args.words.size() != 2)
        return PrintUsage(*CommandTable::Find("rar", "create"));
    const fs::path folder = PathFromUtf8(args.words[1]);
    if (!fs::is_directory(folder)) {
        std::fprintf(stderr, "zen: %s is not a folder\n", args.words[1].c_str());
        return kExitFailure;
    }
    Rar2Writer writer(args.store ? Rar2Writer::Method::kStore : Rar2Writer::Method::kCompress);
    writer.SetPassword(args.password);
    uint32_t count = 0;
    if (!AddFolder(writer, folder, std::u16string(), count))
        return kExitFailure;
    std::vector<uint8_t> bytes;
    if (writer.Write(bytes) != kSuccess) {
        std::fprintf(stderr, "zen: the archive would be too large\n");
        return kExitFailure;
    }
    std::ofstream out(PathFromUtf8(args.words[0]), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "zen: cannot write %s\n", args.words[0].c_str());
        return kExitFailure;
    }
    std::printf("packed %u entries into %s (%zu bytes)\n", count, args.words[0].c_str(), bytes.size());
    return kExitSuccess;
}

}  // namespace
}  // namespace zen::tool
