#include "engine/core/Stream.h"

#include <bit>
#include <cstring>
#include <new>

#include "engine/core/ClassRegistry.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Object.h"
#include "engine/scene/Transform.h"

static_assert(std::endian::native == std::endian::little, "the stream encoding is written as the machine's bytes");

namespace zen {

Stream::Stream(uint32_t initialSize, uint32_t growthIncrement) : m_growthIncrement(growthIncrement)
{
    if (initialSize == 0)
        return;
    try {
        m_buffer.resize(initialSize);
    } catch (const std::bad_alloc&) {
        Error("Недостаточно памяти для создания буффера потока.");
        m_state = kOutOfMemory;
    }
}

Stream::~Stream() = default;

uint32_t Stream::GetSize()
{
    return Allocated();
}

Result Stream::Write(const void* data, uint32_t size)
{
    if (m_state != kSuccess) {
        Warning("Неправильное состояние потока.");
        return m_state;
    }
    const uint64_t end = static_cast<uint64_t>(m_position) + size;
    if (end > Allocated()) {
        // Grow in whole increments, as many as the write needs, in one allocation.
        Result grown = kSuccess;
        if (m_growthIncrement == 0) {
            Warning("Приращение буффера равно 0.");
            grown = kFailure;
        } else {
            const uint64_t steps = (end - Allocated() + m_growthIncrement - 1) / m_growthIncrement;
            const uint64_t newSize = Allocated() + steps * m_growthIncrement;
            if (newSize > 0xFFFFFFFFu) {
                Error("Недостаточно памяти для создания буффера потока.");
                grown = kOutOfMemory;
            } else {
                try {
                    m_buffer.resize(static_cast<size_t>(newSize));
                } catch (const std::bad_alloc&) {
                    Error("Недостаточно памяти для создания буффера потока.");
                    grown = kOutOfMemory;
                }
            }
        }
        if (grown != kSuccess) {
            m_state = grown;
            Warning("Невозможно записать данные вследствие малого размера буффера.");
            return m_state;
        }
    }
    if (size > 0)
        std::memcpy(m_buffer.data() + m_position, data, size);
    m_position += size;
    return m_state;
}

Result Stream::Read(void* data, uint32_t size)
{
    if (m_state != kSuccess) {
        Warning("Неправильное состояние потока.");
        return m_state;
    }
    if (m_buffer.empty()) {
        Warning("Невозможно считать данные. Буффер не существует.");
        m_state = kFailure;
        return m_state;
    }
    if (static_cast<uint64_t>(m_position) + size > Allocated()) {
        Warning("Невозможно считать данные. Буффер переполнен.");
        m_state = kFailure;
        return m_state;
    }
    if (size > 0)
        std::memcpy(data, m_buffer.data() + m_position, size);
    m_position += size;
    return m_state;
}

Result Stream::WriteWord(uint16_t value)
{
    return Write(&value, sizeof value);
}

Result Stream::WriteUInt(uint32_t value)
{
    return Write(&value, sizeof value);
}

Result Stream::WriteFloat(float value)
{
    return Write(&value, sizeof value);
}

Result Stream::WriteDouble(double value)
{
    return Write(&value, sizeof value);
}

Result Stream::WriteString(const String& value)
{
    const Result written = WriteUInt(value.Length());
    if (written != kSuccess)
        return written;
    return Write(value.CStr(), value.Length());
}

Result Stream::WriteVector2(const Vector2& value)
{
    WriteFloat(value.x);
    return WriteFloat(value.y);
}

Result Stream::WriteVector3(const Vector3& value)
{
    WriteFloat(value.x);
    WriteFloat(value.y);
    return WriteFloat(value.z);
}

Result Stream::WriteVector4(const Vector4& value)
{
    WriteFloat(value.x);
    WriteFloat(value.y);
    WriteFloat(value.z);
    return WriteFloat(value.w);
}

Result Stream::WriteQuaternion(const Quaternion& value)
{
    WriteFloat(value.x);
    WriteFloat(value.y);
    WriteFloat(value.z);
    return WriteFloat(value.w);
}

Result Stream::WriteTransform(const Transform& value)
{
    WriteVector3(value.scale);
    WriteQuaternion(value.rotation);
    return WriteVector3(value.translation);
}

Result Stream::ReadWord(uint16_t& value)
{
    return Read(&value, sizeof value);
}

Result Stream::ReadInt(int32_t& value)
{
    return Read(&value, sizeof value);
}

Result Stream::ReadUInt(uint32_t& value)
{
    return Read(&value, sizeof value);
}

Result Stream::ReadFloat(float& value)
{
    return Read(&value, sizeof value);
}

Result Stream::ReadDouble(double& value)
{
    return Read(&value, sizeof value);
}

Result Stream::ReadBool(bool& value)
{
    uint8_t byte = 0;
    const Result read = ReadByte(byte);
    if (read == kSuccess)
        value = byte != 0;
    return read;
}

Result Stream::ReadString(String& value)
{
    uint32_t length = 0;
    const Result read = ReadUInt(length);
    if (read != kSuccess)
        return read;
    if (length > Remaining()) {
        Warning("Невозможно считать данные. Буффер переполнен.");
        m_state = kFailure;
        return m_state;
    }
    try {
        value = String(reinterpret_cast<const char*>(m_buffer.data() + m_position), length);
    } catch (const std::bad_alloc&) {
        // The characters stay unread, so whatever followed could not be read in step: the
        // stream fails rather than go on from the middle of the string.
        Warning("Недостаточно памяти для загрузки строки.");
        m_state = kOutOfMemory;
        return m_state;
    }
    m_position += length;
    return m_state;
}

// Multi-value reads stop at the first primitive that fails and return its result.
Result Stream::ReadFloats(std::initializer_list<float*> values)
{
    for (float* value : values) {
        const Result read = ReadFloat(*value);
        if (read != kSuccess)
            return read;
    }
    return kSuccess;
}

Result Stream::ReadVector2(Vector2& value)
{
    return ReadFloats({&value.x, &value.y});
}

Result Stream::ReadVector3(Vector3& value)
{
    return ReadFloats({&value.x, &value.y, &value.z});
}

Result Stream::ReadVector4(Vector4& value)
{
    return ReadFloats({&value.x, &value.y, &value.z, &value.w});
}

Result Stream::ReadQuaternion(Quaternion& value)
{
    return ReadFloats({&value.x, &value.y, &value.z, &value.w});
}

Result Stream::ReadTransform(Transform& value)
{
    Result read = ReadVector3(value.scale);
    if (read == kSuccess)
        read = ReadQuaternion(value.rotation);
    if (read == kSuccess)
        read = ReadVector3(value.translation);
    if (read == kSuccess) {
        value.isIdentity = false;
        value.noRotation = false;
    }
    return read;
}

Result Stream::WriteObject(Object* object)
{
    if (!object)
        return WriteUInt(kNullID);
    const uint32_t id = object->ID();
    Info("Write ID[%d]", id);
    if (m_ids.Find(id))
        return WriteUInt(id);
    // The object's Save runs even when the record's head could not be written: on a failed
    // stream it fails at once and logs its own line, so the chain of messages names it too.
    Result written = WriteUInt(id);
    if (m_ids.Insert(id, object) == kOutOfMemory && m_state == kSuccess)
        m_state = kOutOfMemory;
    const Result named = WriteString(object->GetRtti()->Name());
    if (written == kSuccess)
        written = named;
    const Result saved = object->Save(*this);
    if (m_state == kSuccess)
        m_state = saved;
    Info("RTTI[%s] ID[%d] Name[%s] Pointer[%d]", object->GetRtti()->Name().CStr(), id, object->Name().CStr(),
         m_position);
    return m_state != kSuccess ? m_state : written;
}

Result Stream::ReadObject(Object** out)
{
    if (!out)
        return kInvalidArgument;
    *out = nullptr;
    uint32_t fileId = 0;
    const Result read = ReadUInt(fileId);
    if (read != kSuccess)
        return read;
    Info("Read ID[%d]", fileId);
    if (fileId == kNullID)
        return m_state;
    if (Object** known = m_ids.Find(fileId)) {
        *out = *known;
        return m_state;
    }
    String typeName;
    const Result named = ReadString(typeName);
    if (named != kSuccess)
        return named;
    // Each record nested inside another's fields costs the reader a few stack frames, so a file
    // cannot be allowed to nest them without end; real scenes stay far below the limit.
    if (m_depth >= kMaxNesting) {
        Error("Слишком глубокая вложенность объектов. RTTI[%s] ID[%d]", typeName.CStr(), fileId);
        m_state = kFailure;
        return m_state;
    }
    const CreateFunction create = ClassRegistry::LookupCreator(typeName);
    if (!create) {
        Error("Невозможно найти функцию создания объекта. RTTI[%s] ID[%d]", typeName.CStr(), fileId);
        m_state = kFailure;
        return m_state;
    }
    Object* object = nullptr;
    if (create(&object) != kSuccess || !object) {
        Error("Невозможно создать объект. RTTI[%s] ID[%d]", typeName.CStr(), fileId);
        m_state = kFailure;
        return m_state;
    }
    // Entered before loading, so references to the object from inside its own fields resolve.
    if (m_ids.Insert(fileId, object) == kOutOfMemory) {
        delete object;
        m_state = kOutOfMemory;
        return m_state;
    }
    // Held while it loads: a failure inside its fields (a wrong-typed reference to it, or the
    // release of a part that refers back to it) must not destroy it under its own Load.
    object->AddReference();
    ++m_depth;
    const Result loaded = object->Load(*this);
    --m_depth;
    if (m_state == kSuccess)
        m_state = loaded;
    Info("RTTI[%s] ID[%d] Name[%s] Pointer[%d]", typeName.CStr(), object->ID(), object->Name().CStr(), m_position);
    if (m_state != kSuccess) {
        // The stream is dead and nothing will adopt the object: free it unless parts of the
        // graph still hold it, rather than leak it.
        if (object->References() == 1)
            (void)m_ids.Remove(fileId);
        object->ReleaseReference();
        return m_state;
    }
    object->ReleaseReferenceKeepingObject();
    *out = object;
    return m_state;
}

bool Stream::IsOfType(Object* object, const Rtti* type)
{
    return object->IsDerivedFrom(type);
}

void Stream::RefuseType(Object* object, const Rtti* expected)
{
    Error("Объект неверного типа. RTTI[%s] ID[%d], ожидался тип [%s].", object->GetRtti()->Name().CStr(),
          object->ID(), expected->Name().CStr());
    if (m_state == kSuccess)
        m_state = kFailure;
    if (object->References() == 0)
        delete object;
}

void Stream::AdoptBuffer(std::vector<uint8_t>&& bytes)
{
    m_buffer = std::move(bytes);
    m_position = 0;
}

void Stream::FreeBuffer()
{
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_position = 0;
}

}  // namespace zen
