#pragma once
#include "engine/particles/Emitter.h"

namespace zen {

class Node;

// Emits from one point, the owner's world position ("ZEN.PointEmitter"), in a direction drawn
// between two angles from the owner's +Y axis: phi = u * 2 pi around the axis and
// theta = minAngle + u' * (maxAngle - minAngle) from it, local direction
// (sin phi sin theta, cos theta, cos phi sin theta), turned by the owner's world transform and
// normalised. Without an owner the point is the origin and the direction stays local.
// Stream form: the Object fields, maxAngle, minAngle (float32 radians). Loading clamps both to
// at least 0 (a value that is not a finite number counts as 0) and keeps minAngle <= maxAngle.
class PointEmitter : public Emitter {
    ZEN_DECLARE_CLASS

public:
    PointEmitter() = default;

    bool Emit(Vector3& position, Vector3& direction) override;

    // The particle system whose transform places the emitter. A plain pointer: the system holds
    // the emitter, a counted link back would make a cycle; the system clears it when it goes.
    Node* Owner() const { return m_owner; }
    void SetOwner(Node* owner) { m_owner = owner; }

    float MaxAngle() const { return m_maxAngle; }
    float MinAngle() const { return m_minAngle; }
    // Radians from the +Y axis; the same clamps as loading.
    void SetAngles(float minAngle, float maxAngle);

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // The local direction from two draws (phi first, then theta).
    Vector3 DrawLocalDirection() const;

private:
    Node* m_owner = nullptr;  // Not owned, not saved (see Owner).
    float m_maxAngle = 3.1415927f;
    float m_minAngle = 0.0f;
};

}  // namespace zen
