#include "engine/core/Stream.h"

#include <bit>
#include <cstring>
#include <new>
#include <unordered_map>

#include "engine/core/ClassRegistry.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Object.h"
#include "engine/core/ReferenceVisitor.h"
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
    // The outermost call is the load: the objects it creates, however deep, stay held by the
    // stream until it ends, and FinishLoad then either hands the graph out or frees all of it.
    if (m_depth > 0)
        return ReadObjectRecord(out);
    Object* root = nullptr;
    const Result record = ReadObjectRecord(&root);
    return FinishLoad(record, root, out);
}

Result Stream::ReadObjectRecord(Object** out)
{
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
    // Entered before loading, so references to the object from inside its own fields resolve;
    // held by the stream from here to the end of the load, so no failure inside its fields (a
    // wrong-typed reference to it, a part that drops it again) can destroy it under its Load.
    try {
        m_created.push_back({object, fileId});
    } catch (const std::bad_alloc&) {
        delete object;
        m_state = kOutOfMemory;
        return m_state;
    }
    object->AddReference();
    if (m_ids.Insert(fileId, object) == kOutOfMemory) {
        m_state = kOutOfMemory;
        return m_state;
    }
    ++m_depth;
    const Result loaded = object->Load(*this);
    --m_depth;
    if (m_state == kSuccess)
        m_state = loaded;
    Info("RTTI[%s] ID[%d] Name[%s] Pointer[%d]", typeName.CStr(), object->ID(), object->Name().CStr(), m_position);
    if (m_state != kSuccess)
        return m_state;
    *out = object;
    return m_state;
}

namespace {

// The references each created object holds to others of the same load, by index.
class EdgeCollector final : public ReferenceVisitor {
public:
    EdgeCollector(const std::unordered_map<const Object*, uint32_t>& index, std::vector<uint32_t>& targets)
        : m_index(index), m_targets(targets)
    {
    }
    bool Visit(Object* target) override
    {
        const auto found = m_index.find(target);
        if (found != m_index.end())
            m_targets.push_back(found->second);
        return false;
    }

private:
    const std::unordered_map<const Object*, uint32_t>& m_index;
    std::vector<uint32_t>& m_targets;
};

// Asks for every reference to be dropped.
class DropEverything final : public ReferenceVisitor {
public:
    bool Visit(Object*) override { return true; }
};

}  // namespace

Object* Stream::FindUnreleasable(Object* root, bool& unowned) const
{
    // What the caller's last release of the root would free, worked out on counts: each object's
    // references less the stream's own, the root's given to the caller and dropped again. Objects
    // left over are either held from outside the load (kept, with all they hold) or keep one
    // another alive in a ring that nothing outside reaches (refused).
    const uint32_t count = static_cast<uint32_t>(m_created.size());
    std::unordered_map<const Object*, uint32_t> index;
    index.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        index.emplace(m_created[i].object, i);
    std::vector<uint32_t> firstEdge(count + 1, 0);
    std::vector<uint32_t> targets;
    for (uint32_t i = 0; i < count; ++i) {
        EdgeCollector collect(index, targets);
        m_created[i].object->VisitReferences(collect);
        firstEdge[i + 1] = static_cast<uint32_t>(targets.size());
    }
    std::vector<int32_t> held(count);
    for (uint32_t i = 0; i < count; ++i) {
        held[i] = m_created[i].object->References() - 1;
        if (held[i] == 0 && m_created[i].object != root) {
            unowned = true;
            return m_created[i].object;
        }
    }
    std::vector<uint8_t> freed(count, 0);
    std::vector<uint32_t> queue;
    const auto rootIndex = index.find(root);
    if (rootIndex != index.end() && held[rootIndex->second] == 0) {
        freed[rootIndex->second] = 1;
        queue.push_back(rootIndex->second);
    }
    while (!queue.empty()) {
        const uint32_t i = queue.back();
        queue.pop_back();
        for (uint32_t e = firstEdge[i]; e < firstEdge[i + 1]; ++e)
            if (--held[targets[e]] == 0 && !freed[targets[e]]) {
                freed[targets[e]] = 1;
                queue.push_back(targets[e]);
            }
    }
    // Among the survivors, references from other survivors explain part of each count; any
    // reference beyond that comes from outside, and what such an object holds lives on with it.
    std::vector<int32_t> fromSurvivors(count, 0);
    for (uint32_t i = 0; i < count; ++i)
        if (!freed[i])
            for (uint32_t e = firstEdge[i]; e < firstEdge[i + 1]; ++e)
                ++fromSurvivors[targets[e]];
    std::vector<uint8_t> alive(count, 0);
    for (uint32_t i = 0; i < count; ++i)
        if (!freed[i] && held[i] > fromSurvivors[i]) {
            alive[i] = 1;
            queue.push_back(i);
        }
    while (!queue.empty()) {
        const uint32_t i = queue.back();
        queue.pop_back();
        for (uint32_t e = firstEdge[i]; e < firstEdge[i + 1]; ++e)
            if (!alive[targets[e]]) {
                alive[targets[e]] = 1;
                queue.push_back(targets[e]);
            }
    }
    for (uint32_t i = 0; i < count; ++i)
        if (!freed[i] && !alive[i])
            return m_created[i].object;
    return nullptr;
}

Result Stream::FinishLoad(Result record, Object* root, Object** out)
{
    // A refused read can leave the state alone (a closed File): its own result then counts.
    Result result = m_state != kSuccess ? m_state : record;
    if (m_created.empty()) {
        *out = result == kSuccess ? root : nullptr;
        return result;
    }
    if (result == kSuccess) {
        bool unowned = false;
        Object* stray = nullptr;
        try {
            stray = FindUnreleasable(root, unowned);
        } catch (const std::bad_alloc&) {
            m_state = kOutOfMemory;
            result = kOutOfMemory;
        }
        if (stray) {
            if (unowned)
                Error("Объект потока не принадлежит ни одному объекту. RTTI[%s] ID[%d]",
                      stray->GetRtti()->Name().CStr(), stray->ID());
            else
                Error("Объекты потока удерживают друг друга по кругу. RTTI[%s] ID[%d]",
                      stray->GetRtti()->Name().CStr(), stray->ID());
            m_state = kFailure;
            result = kFailure;
        }
    }
    std::vector<Created> created;
    created.swap(m_created);
    if (result == kSuccess) {
        for (const Created& entry : created) {
            if (entry.object == root)
                entry.object->ReleaseReferenceKeepingObject();
            else
                entry.object->ReleaseReference();  // Held by the graph as well, so never the last.
        }
        *out = root;
        return result;
    }
    // A failed load: every object it made lets go of the others first, so rings fall apart,
    // then the stream's references go and each object is freed unless held from outside. Their
    // IDs go too, so nothing read later from this stream reaches a freed object.
    DropEverything drop;
    for (const Created& entry : created)
        entry.object->VisitReferences(drop);
    for (const Created& entry : created) {
        if (Object** known = m_ids.Find(entry.fileId); known && *known == entry.object)
            (void)m_ids.Remove(entry.fileId);
        entry.object->ReleaseReference();
    }
    return result;
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
