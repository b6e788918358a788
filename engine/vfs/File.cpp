#include "engine/vfs/File.h"

#include <new>
#include <vector>

#include "engine/core/MessageLog.h"
#include "engine/vfs/Directory.h"

namespace zen {
namespace {

// Reads the rest of an open file. kSuccess; kOutOfMemory; kFailure on a read error or a file
// longer than a stream can hold (4 GiB - 1).
Result ReadWhole(std::FILE* handle, std::vector<uint8_t>& bytes)
{
    try {
        if (std::fseek(handle, 0, SEEK_END) == 0) {
            const long length = std::ftell(handle);
            if (length > 0 && static_cast<unsigned long>(length) <= 0xFFFFFFFFul)
                bytes.reserve(static_cast<size_t>(length));
        }
        std::rewind(handle);
        uint8_t chunk[64 * 1024];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, handle)) > 0) {
            if (bytes.size() + got > 0xFFFFFFFFu)
                return kFailure;
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    return std::ferror(handle) ? kFailure : kSuccess;
}

}  // namespace

File::File(const String& name) : Stream(0, 1024), Named(name) {}

File::~File()
{
    Info("Удаляется файл [%s].", m_name.CStr());
    if (m_open && File::Close() != kSuccess) {
        // The bytes cannot reach the disk; the handle must not outlive the file all the same.
        std::fclose(m_handle);
        m_handle = nullptr;
    }
    if (m_parent && m_parent->DetachFile(this) != kSuccess)
        Warning("Невозможно отсоединить файл [%s] от родительской директории.", m_name.CStr());
}

Result File::Open(uint32_t mode)
{
    const String path = GetPath();
    // Closing first must work: reopening over a file whose bytes did not reach the disk would
    // lose them.
    if (m_open && Close() != kSuccess) {
        Warning("Невозможно закрыть файл [%s].", path.CStr());
        return kFailure;
    }
    if (mode != kWrite && mode != kAppend)
        mode = kRead;
    std::FILE* handle = std::fopen(path.CStr(), mode == kWrite ? "wb" : mode == kAppend ? "ab" : "rb");
    if (!handle) {
        Warning("Невозможно открыть файл [%s].", path.CStr());
        return kFailure;
    }
    if (mode == kRead) {
        std::vector<uint8_t> bytes;
        const Result read = ReadWhole(handle, bytes);
        if (read != kSuccess) {
            std::fclose(handle);
            if (read == kOutOfMemory)
                Warning("Недостаточно памяти для открытия файла [%s].", path.CStr());
            else
                Warning("Невозможно открыть файл [%s].", path.CStr());
            return read;
        }
        AdoptBuffer(std::move(bytes));
    } else {
        // Unbuffered: the whole buffer goes out in one write at Close, and fwrite's count then
        // tells what really reached the file (a retry after a short write goes on from there).
        std::setvbuf(handle, nullptr, _IONBF, 0);
        FreeBuffer();
    }
    m_handle = handle;
    m_mode = mode;
    m_open = true;
    m_written = 0;
    ClearIDs();
    return kSuccess;
}

Result File::Close()
{
    if (!m_open)
        return kSuccess;
    if (m_mode != kRead) {
        // Only what has not reached the file yet, so that a retry after a short write does not
        // write the first part twice.
        const uint32_t end = Position();
        if (m_written < end)
            m_written += static_cast<uint32_t>(std::fwrite(Stream::Data() + m_written, 1, end - m_written, m_handle));
        if (m_written < end || std::fflush(m_handle) != 0) {
            Warning("В файл [%s] записаны не все данные.", GetPath().CStr());
            return kFailure;
        }
    }
    const bool closed = std::fclose(m_handle) == 0;
    m_handle = nullptr;
    ResetClosed();
    if (!closed && m_mode != kRead) {
        Warning("В файл [%s] записаны не все данные.", GetPath().CStr());
        return kFailure;
    }
    return kSuccess;
}

void File::ResetClosed()
{
    m_open = false;
    m_written = 0;
    FreeBuffer();
    ClearIDs();
}

Result File::Read(void* data, uint32_t size)
{
    if (m_open && m_mode == kRead)
        return Stream::Read(data, size);
    if (m_open)
        Warning("Чтение из файла [%s], открытого для записи.", GetPath().CStr());
    else
        Warning("Чтение из закрытого файла [%s].", GetPath().CStr());
    return kFailure;
}

Result File::Write(const void* data, uint32_t size)
{
    if (m_open && m_mode != kRead)
        return Stream::Write(data, size);
    if (m_open)
        Warning("Запись в файл [%s], открытый для чтения.", GetPath().CStr());
    else
        Warning("Запись в закрытый файл [%s].", GetPath().CStr());
    return kFailure;
}

uint32_t File::GetSize()
{
    if (m_open)
        return m_mode == kRead ? Stream::GetSize() : Position();
    if (Open(kRead) != kSuccess) {
        Warning("Файл [%s] не может быть открыть для чтения.", GetPath().CStr());
        return 0;
    }
    const uint32_t size = Stream::GetSize();
    if (Close() != kSuccess) {
        Warning("Файл [%s] не может быть закрыт.", GetPath().CStr());
        return 0;
    }
    return size;
}

String File::GetPath() const
{
    if (!m_parent)
        return m_name;
    return m_parent->GetPath() + m_name;
}

String File::GetExtension() const
{
    const uint32_t dot = m_name.FindLast('.');
    if (dot == String::kNotFound)
        return String();
    // A name given with its directories (a disk file made without a parent) has its extension
    // in the last part only.
    const uint32_t slash = m_name.FindLast('/');
    const uint32_t backslash = m_name.FindLast('\\');
    if ((slash != String::kNotFound && slash > dot) || (backslash != String::kNotFound && backslash > dot))
        return String();
    return m_name.Substring(dot + 1);
}

}  // namespace zen
