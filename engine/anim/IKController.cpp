#include "engine/anim/IKController.h"

#include <cmath>
#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(IKController, PostUpdateController, kStartupOtherClasses)

namespace {

constexpr uint32_t kMinLinkBytes = 4;

// conjugate(q) / |q|^2; the zero quaternion for one too short to invert.
Quaternion Inverse(const Quaternion& q)
{
    const float squared = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    if (!(squared > 1.1920929e-7f))
        return {0, 0, 0, 0};
    return {-q.x / squared, -q.y / squared, -q.z / squared, q.w / squared};
}

}  // namespace

void IKController::PostUpdate()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Node::TYPE) || m_chain.Count() == 0 || !m_chain[0])
        return;
    const Vector3 target = static_cast<Node*>(m_owner)->WorldTransform().translation;
    const Vector3 effector = m_chain[0]->WorldTransform().translation;
    const Vector3 error = target - effector;
    if (error.Length() < kCloseEnough)
        return;
    for (const Link<Node>& joint : m_chain) {
        if (!joint)
            continue;
        const Vector3 p = joint->WorldTransform().translation;
        const Vector3 a = effector - p;
        const Vector3 b = target - p;
        const Vector3 axis = a.Cross(b).Normalized();
        // The Jacobian column of this joint is (axis x a, axis); the rotational error is zero.
        const float angle = axis.Cross(a).Dot(error) * kGain;
        const float s = std::sin(angle / 2);
        const Quaternion turn{axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
        const Quaternion world = turn * joint->WorldTransform().rotation;  // Turned about the world axis.
        Transform& local = joint->LocalTransform();
        local.rotation = joint->Parent() ? Inverse(joint->Parent()->WorldTransform().rotation) * world : world;
        local.isIdentity = false;
        local.noRotation = false;
    }
}

Result IKController::AddChainNode(Node* node)
{
    if (!node)
        return kInvalidArgument;
    return m_chain.Append(Link<Node>(node));
}

Result IKController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteUInt(m_chain.Count()) != kSuccess) {
        Error("Невозможно сохранить количество узлов цепочки. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (const Link<Node>& node : m_chain) {
        if (stream.WriteObject(node.Get()) != kSuccess) {
            Error("Невозможно сохранить ссылку на узел цепочки. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    return kSuccess;
}

Result IKController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinLinkBytes) {
        Error("Невозможно загрузить количество узлов цепочки. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Array<Link<Node>> chain(count > 0 ? count : 1, 1);
    for (uint32_t i = 0; i < count; ++i) {
        Link<Node> node;
        if (stream.ReadLink(node) != kSuccess || chain.Append(node) != kSuccess) {
            Error("Невозможно загрузить узел цепочки. ID[%d] Имя[%s]", ID(), Name().CStr());
            return kFailure;
        }
    }
    m_chain = std::move(chain);
    return kSuccess;
}

}  // namespace zen
