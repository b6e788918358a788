#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/core/HashMap.h"
#include "engine/core/Link.h"
#include "engine/core/Ptr.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Result.h"
#include "engine/core/String.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

namespace zen {

class Object;
struct Transform;

// A growable byte buffer with a read/write position and a sticky state: the first failing read
// or write records its result code and every later operation fails at once, so a class's Load
// can read all its fields and check once, and one failure leaves one chain of messages.
// Values are little-endian with no padding. Object graphs persist through WriteObject and
// ReadObject: an object is written in full at its first reference and as its bare ID after
// that, so shared objects and cycles survive. Files (engine/vfs) are Streams over a file's bytes.
class Stream {
public:
    static constexpr uint32_t kNullID = 0xFFFFFFFFu;
    // Object records nested deeper than this (a record inside the fields of another, and so on)
    // fail the stream instead of exhausting the reader's stack.
    static constexpr uint32_t kMaxNesting = 1024;

    // Allocates `initialSize` bytes up front (failure sets the state to kOutOfMemory).
    explicit Stream(uint32_t initialSize = 0, uint32_t growthIncrement = 1024);
    virtual ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Primitives; each returns the state after the operation.
    virtual uint32_t GetSize();
    virtual Result Write(const void* data, uint32_t size);
    virtual Result Read(void* data, uint32_t size);

    // Typed values (floats and unsigned values travel as their 32 bits). Each returns the result
    // of its first failing primitive, so a refusal that leaves the state alone (a File read while
    // closed) still reads as a failure; reads stop there.
    Result WriteByte(uint8_t value) { return Write(&value, 1); }
    Result WriteWord(uint16_t value);
    Result WriteInt(int32_t value) { return WriteUInt(static_cast<uint32_t>(value)); }
    Result WriteUInt(uint32_t value);
    Result WriteFloat(float value);
    Result WriteDouble(double value);
    Result WriteBool(bool value) { return WriteByte(value ? 1 : 0); }
    Result WriteString(const String& value);
    Result WriteVector2(const Vector2& value);
    Result WriteVector3(const Vector3& value);
    Result WriteVector4(const Vector4& value);
    Result WriteQuaternion(const Quaternion& value);
    Result WriteTransform(const Transform& value);

    Result ReadByte(uint8_t& value) { return Read(&value, 1); }
    Result ReadWord(uint16_t& value);
    Result ReadInt(int32_t& value);
    Result ReadUInt(uint32_t& value);
    Result ReadFloat(float& value);
    Result ReadDouble(double& value);
    Result ReadBool(bool& value);
    // A stored length beyond the bytes left fails the stream instead of allocating for it.
    Result ReadString(String& value);
    Result ReadVector2(Vector2& value);
    Result ReadVector3(Vector3& value);
    Result ReadVector4(Vector4& value);
    Result ReadQuaternion(Quaternion& value);
    Result ReadTransform(Transform& value);  // Both flags of the result are false.

    // Object graphs. ReadObject gives an unreferenced object (or null); the caller adopts it.
    // An outermost ReadObject is one load: when it fails, or would leave objects that hold one
    // another in a ring or that nothing holds, everything it created is freed (see
    // Object::VisitReferences) and the stream fails; nested reads (from inside a Load) only read.
    Result WriteObject(Object* object);
    Result ReadObject(Object** out);
    // ReadObject for a field of a known type: an object of another type fails the stream.
    template <class T>
    Result ReadObject(Ptr<T>& out)
    {
        Object* object = nullptr;
        const Result read = ReadObject(&object);
        if (read != kSuccess)
            return read;
        T* typed = CheckType<T>(object);
        if (object && !typed)
            return State();
        out = typed;
        return kSuccess;
    }
    // As above for a non-owning link (a parent or target pointer).
    template <class T>
    Result ReadLink(T*& out)
    {
        Object* object = nullptr;
        const Result read = ReadObject(&object);
        if (read != kSuccess)
            return read;
        T* typed = CheckType<T>(object);
        if (object && !typed)
            return State();
        out = typed;
        return kSuccess;
    }
    template <class T>
    Result ReadLink(Link<T>& out)
    {
        T* object = nullptr;
        const Result read = ReadLink(object);
        if (read == kSuccess)
            out = object;
        return read;
    }
    void ClearIDs() { m_ids.Clear(); }

    // State and position
    Result State() const { return m_state; }
    uint32_t Position() const { return m_position; }
    uint32_t Remaining() const { return m_position < Allocated() ? Allocated() - m_position : 0; }
    const uint8_t* Data() const { return m_buffer.empty() ? nullptr : m_buffer.data(); }

protected:
    uint32_t Allocated() const { return static_cast<uint32_t>(m_buffer.size()); }
    // Replaces the buffer with `bytes` (the stream's size becomes their count), position 0.
    void AdoptBuffer(std::vector<uint8_t>&& bytes);
    // Frees the buffer; size and position 0.
    void FreeBuffer();
    void SetState(Result state) { m_state = state; }

private:
    template <class T>
    T* CheckType(Object* object)
    {
        if (!object)
            return nullptr;
        if (IsOfType(object, &T::TYPE))
            return static_cast<T*>(object);
        RefuseType(object, &T::TYPE);  // Fails the stream; frees the object when nobody holds it.
        return nullptr;
    }
    Result ReadFloats(std::initializer_list<float*> values);
    // One object record (or a reference to one already read) inside the load in progress.
    Result ReadObjectRecord(Object** out);
    // Ends the load whose outermost record gave `record`: on success hands out `root` unreferenced, after refusing a graph in which
    // objects would outlive the last outside reference (a ring of owners, or an object that
    // nothing holds); on failure, or after such a refusal, frees everything the load made.
    Result FinishLoad(Result record, Object* root, Object** out);
    // The first object that the last release of `root` would not free though nothing outside
    // the load holds it (null when there is none); `unowned` tells one that nothing holds.
    Object* FindUnreleasable(Object* root, bool& unowned) const;
    static bool IsOfType(Object* object, const class Rtti* type);
    void RefuseType(Object* object, const class Rtti* expected);

    std::vector<uint8_t> m_buffer;    // Its size is the stream's size.
    uint32_t m_growthIncrement;       // Bytes added per growth step; 0 makes the size fixed.
    uint32_t m_position = 0;          // Offset of the next read or write.
    HashMap<uint32_t, Object*, IntegerHash> m_ids{32};  // File ID -> object met in this stream; no references.
    Result m_state = kSuccess;
    uint32_t m_depth = 0;  // Object records being loaded, one inside the other.
    struct Created {
        Object* object;   // Holds one reference of the stream until the load ends.
        uint32_t fileId;
    };
    std::vector<Created> m_created;  // Objects made by the load in progress, in creation order.
};

}  // namespace zen
