#include "engine/particles/ParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Random.h"
#include "engine/core/Stream.h"
#include "engine/particles/PointEmitter.h"
#include "engine/render/Renderer.h"
#include "engine/scene/SphereBoundingVolume.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ParticleSystem, GeometryNode, kStartupOtherClasses)

namespace {

// Particles are made in blocks of this many (fewer when the pool has less room left).
constexpr uint32_t kBlockSize = 256;

bool Finite(const Vector3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Finite(const Vector4& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

Vector4 SpreadEach(const Vector4& base, const Vector4& range)
{
    const float x = Random::Spread(base.x, range.x);
    const float y = Random::Spread(base.y, range.y);
    const float z = Random::Spread(base.z, range.z);
    const float w = Random::Spread(base.w, range.w);
    return {x, y, z, w};
}

Vector4 Blend(const Vector4& from, const Vector4& to, float k)
{
    return {from.x + (to.x - from.x) * k, from.y + (to.y - from.y) * k, from.z + (to.z - from.z) * k,
            from.w + (to.w - from.w) * k};
}

}  // namespace

struct ParticleSystem::Block {
    Particle* particles = nullptr;  // Owned array.
    Block* next = nullptr;
};

bool ParticleSystem::Parameters::IsValid() const
{
    const float scalars[] = {intervalBase,  intervalRandom,  speedBase,   speedRandom,   lifetimeBase,
                             lifetimeRandom, startSizeBase, startSizeRandom, endSizeBase, endSizeRandom};
    for (float value : scalars)
        if (!std::isfinite(value))
            return false;
    return Finite(startColorBase) && Finite(startColorRandom) && Finite(endColorBase) && Finite(endColorRandom) &&
           Finite(accelerationBase) && Finite(accelerationRandom) && lifetimeBase >= 0.0f;
}

ParticleSystem::ParticleSystem()
{
    Ptr<PointEmitter> emitter = new (std::nothrow) PointEmitter();
    if (!emitter)
        Error("Недостаточно памяти для создания эмиттера системы частиц. ID[%d]", ID());
    SetEmitter(emitter.Get());
}

ParticleSystem::~ParticleSystem()
{
    SetEmitter(nullptr);
    while (Block* block = m_blocks) {
        m_blocks = block->next;
        delete[] block->particles;
        delete block;
    }
}

// --- Settings ---------------------------------------------------------------------------------

Result ParticleSystem::SetMaxParticles(int32_t count)
{
    if (count < 0 || count > kMaxPoolSize)
        return kInvalidArgument;
    m_maxParticles = count;
    TrimToPool();
    CreateBuffers();
    return kSuccess;
}

Result ParticleSystem::SetParameters(const Parameters& parameters)
{
    if (!parameters.IsValid())
        return kInvalidArgument;
    m_parameters = parameters;
    m_parameters.intervalBase = std::max(0.0f, m_parameters.intervalBase);
    m_parameters.intervalRandom = std::max(0.0f, m_parameters.intervalRandom);
    m_parameters.burstBase = std::max(0, m_parameters.burstBase);
    m_parameters.burstRandom = std::max(0, m_parameters.burstRandom);
    return kSuccess;
}

void ParticleSystem::SetEmitter(Emitter* emitter)
{
    if (m_emitter && m_emitter->IsDerivedFrom(&PointEmitter::TYPE)) {
        auto* old = static_cast<PointEmitter*>(m_emitter.Get());
        if (old->Owner() == this)
            old->SetOwner(nullptr);
    }
    m_emitter = emitter;
    if (emitter && emitter->IsDerivedFrom(&PointEmitter::TYPE))
        static_cast<PointEmitter*>(emitter)->SetOwner(this);
}

void ParticleSystem::Clear()
{
    while (Particle* particle = m_live) {
        m_live = particle->next;
        particle->next = m_free;
        m_free = particle;
    }
    m_liveCount = 0;
    m_timer = 0.0f;
    m_nextInterval = 0.0f;
    m_drawCount = 0;
}

void ParticleSystem::TrimToPool()
{
    const uint32_t limit = static_cast<uint32_t>(m_maxParticles);
    if (m_liveCount <= limit)
        return;
    // Keep the newest `limit`: walk to the last kept one and free the rest.
    Particle** link = &m_live;
    for (uint32_t kept = 0; kept < limit && *link; ++kept)
        link = &(*link)->next;
    while (Particle* particle = *link) {
        *link = particle->next;
        particle->next = m_free;
        m_free = particle;
        --m_liveCount;
    }
}

void ParticleSystem::Disable()
{
    m_parameters = Parameters{};
    m_maxParticles = 0;
    TrimToPool();
    CreateBuffers();
}

void ParticleSystem::CreateBuffers() {}

// --- Pool -------------------------------------------------------------------------------------

Particle* ParticleSystem::TakeParticle()
{
    if (!m_free) {
        const uint32_t room = static_cast<uint32_t>(m_maxParticles) - std::min(m_allocated, uint32_t(m_maxParticles));
        if (room == 0)
            return nullptr;
        const uint32_t count = std::min(room, kBlockSize);
        Block* block = new (std::nothrow) Block();
        Particle* particles = block ? new (std::nothrow) Particle[count] : nullptr;
        if (!particles) {
            delete block;
            Error("Недостаточно памяти для создания частицы. Имя[%s] ID[%d]", m_name.CStr(), ID());
            return nullptr;
        }
        block->particles = particles;
        block->next = m_blocks;
        m_blocks = block;
        m_allocated += count;
        for (uint32_t i = count; i-- > 0;) {
            particles[i].next = m_free;
            m_free = &particles[i];
        }
    }
    Particle* particle = m_free;
    m_free = particle->next;
    return particle;
}

// --- Update -----------------------------------------------------------------------------------

void ParticleSystem::Update(double time)
{
    UpdateControllers(time);
    UpdateWorldTransform();
    // A step backwards or one that is not a number would age particles backwards: it counts as 0.
    float dt = static_cast<float>(time);
    if (!(dt >= 0.0f) || !std::isfinite(dt))
        dt = 0.0f;
    StepParticles(dt);
    RunEmission(dt);
    if (GeometryNodeEffect* effect = GetEffect())
        effect->Update(time);
    UpdateDrawData();
}

void ParticleSystem::StepParticles(float dt)
{
    Particle** link = &m_live;
    while (Particle* particle = *link) {
        particle->age += dt;
        if (particle->age > particle->lifetime) {
            *link = particle->next;
            particle->next = m_free;
            m_free = particle;
            --m_liveCount;
            continue;
        }
        const float k = particle->lifetime > 0.0f ? particle->age / particle->lifetime : 1.0f;
        particle->velocity += particle->acceleration * dt;
        particle->position += particle->velocity * dt;
        particle->size = particle->startSize + (particle->endSize - particle->startSize) * k;
        particle->color = Blend(particle->startColor, particle->endColor, k);
        link = &particle->next;
    }
}

void ParticleSystem::RunEmission(float dt)
{
    if (m_emissionStopped)
        return;
    const Parameters& p = m_parameters;
    m_timer += dt;
    uint32_t bursts = 0;
    while (m_timer > m_nextInterval) {
        if (bursts++ == kMaxBurstsPerUpdate) {
            m_timer = 0.0f;
            break;
        }
        m_timer -= m_nextInterval;
        m_nextInterval = Random::Spread(p.intervalBase, p.intervalRandom);
        int64_t burst = p.burstBase;
        const int64_t span = 2 * int64_t{p.burstRandom};
        if (span >= 1)
            burst += Random::Next() % span - p.burstRandom;
        for (int64_t added = 0; added < burst && m_liveCount < static_cast<uint32_t>(m_maxParticles); ++added) {
            // The place first: an emitter with nowhere to put a particle takes none from the pool.
            Vector3 position, direction;
            if (!m_emitter || !m_emitter->Emit(position, direction))
                break;
            Particle* particle = TakeParticle();
            if (!particle)
                break;  // Out of memory ends the burst.
            particle->next = m_live;
            m_live = particle;
            ++m_liveCount;
            SetUpParticle(*particle, position, direction);
        }
    }
}

void ParticleSystem::SetUpParticle(Particle& particle, const Vector3& position, const Vector3& direction)
{
    const Parameters& p = m_parameters;
    particle.position = position;
    particle.velocity = direction * Random::Spread(p.speedBase, p.speedRandom);
    const float ax = Random::Spread(0.0f, p.accelerationRandom.x);
    const float ay = Random::Spread(0.0f, p.accelerationRandom.y);
    const float az = Random::Spread(0.0f, p.accelerationRandom.z);
    particle.acceleration = p.accelerationBase + Vector3{ax, ay, az};
    particle.age = 0.0f;
    particle.startColor = SpreadEach(p.startColorBase, p.startColorRandom);
    particle.color = particle.startColor;
    particle.endColor = SpreadEach(p.endColorBase, p.endColorRandom);
    particle.startSize = Random::Spread(p.startSizeBase, p.startSizeRandom);
    particle.size = particle.startSize;
    particle.endSize = Random::Spread(p.endSizeBase, p.endSizeRandom);
    particle.lifetime = Random::Spread(p.lifetimeBase, p.lifetimeRandom);
}

void ParticleSystem::UpdateDrawData() {}

void ParticleSystem::UpdateWorldBound()
{
    if (!m_worldBound || !m_worldBound->IsExactly(&SphereBoundingVolume::TYPE))
        return;
    auto* sphere = static_cast<SphereBoundingVolume*>(m_worldBound.Get());
    if (!m_live) {
        sphere->Set(m_world.translation, 0.0f);
        return;
    }
    Vector3 low = m_live->position, high = m_live->position;
    float largest = 0.0f;
    for (const Particle* particle = m_live; particle; particle = particle->next) {
        const Vector3& q = particle->position;
        low = {std::min(low.x, q.x), std::min(low.y, q.y), std::min(low.z, q.z)};
        high = {std::max(high.x, q.x), std::max(high.y, q.y), std::max(high.z, q.z)};
        largest = std::max(largest, std::fabs(particle->size));
    }
    sphere->Set((low + high) * 0.5f, (high - low).Length() * 0.5f + largest * ParticleExtent());
}

// --- Drawing ----------------------------------------------------------------------------------

void ParticleSystem::DrawWorldSpace(Renderer* renderer, bool deferred)
{
    if (m_drawCount == 0)
        return;
    const Transform own = m_world;
    m_world = Transform{};
    if (deferred)
        GeometryNode::DrawDeferred(renderer);
    else
        GeometryNode::Draw(renderer);
    m_world = own;
}

void ParticleSystem::Draw(Renderer* renderer)
{
    DrawWorldSpace(renderer, false);
}

void ParticleSystem::DrawDeferred(Renderer* renderer)
{
    DrawWorldSpace(renderer, true);
}

void ParticleSystem::DrawPrimitives(Renderer* renderer)
{
    if (m_drawCount > 0)
        renderer->DrawNonIndexed(m_drawCount);
}

// --- Search -----------------------------------------------------------------------------------

Object* ParticleSystem::FindByName(const String& name)
{
    if (Object* found = GeometryNode::FindByName(name))
        return found;
    return m_emitter ? m_emitter->FindByName(name) : nullptr;
}

void ParticleSystem::CollectByType(const Rtti* type, Array<Object*>& out)
{
    GeometryNode::CollectByType(type, out);
    if (m_emitter)
        m_emitter->CollectByType(type, out);
}

// --- Stream -----------------------------------------------------------------------------------

Result ParticleSystem::Save(Stream& stream)
{
    // The per-particle buffers are rebuilt after loading: they are set aside while the geometry
    // node's links are written, so the file holds none of them.
    Ptr<Vector3Buffer> vertices = Vertices();
    Ptr<FloatBuffer> pointSizes = PointSizes();
    Ptr<ColorBuffer> colors = Colors();
    Ptr<Buffer> texCoords = TexCoords(0);
    SetVertices(nullptr);
    SetPointSizes(nullptr);
    SetColors(nullptr);
    (void)SetTexCoords(0, nullptr);
    const Result base = GeometryNode::Save(stream);
    SetVertices(vertices.Get());
    SetPointSizes(pointSizes.Get());
    SetColors(colors.Get());
    (void)SetTexCoords(0, texCoords.Get());
    if (base != kSuccess)
        return ParentSaveFailed();
    const Parameters& p = m_parameters;
    stream.WriteInt(m_maxParticles);
    stream.WriteFloat(p.intervalBase);
    stream.WriteFloat(p.intervalRandom);
    stream.WriteInt(p.burstBase);
    stream.WriteInt(p.burstRandom);
    stream.WriteVector4(p.startColorBase);
    stream.WriteVector4(p.startColorRandom);
    stream.WriteVector4(p.endColorBase);
    stream.WriteVector4(p.endColorRandom);
    stream.WriteFloat(p.speedBase);
    stream.WriteFloat(p.speedRandom);
    stream.WriteVector3(p.accelerationBase);
    stream.WriteVector3(p.accelerationRandom);
    stream.WriteFloat(p.lifetimeBase);
    stream.WriteFloat(p.lifetimeRandom);
    stream.WriteFloat(p.startSizeBase);
    stream.WriteFloat(p.startSizeRandom);
    stream.WriteFloat(p.endSizeBase);
    if (stream.WriteFloat(p.endSizeRandom) != kSuccess || stream.State() != kSuccess) {
        Error("Невозможно сохранить данные системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(m_emitter.Get()) != kSuccess) {
        Error("Невозможно сохранить эмиттер системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result ParticleSystem::Load(Stream& stream)
{
    if (GeometryNode::Load(stream) != kSuccess)
        return ParentLoadFailed();
    int32_t maxParticles = 0;
    if (stream.ReadInt(maxParticles) != kSuccess) {
        Error("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    bool refused = false;
    if (maxParticles > kMaxPoolSize) {
        Error("Размер пула системы частиц %d больше %d: система не испускает частиц. ID[%d] Имя[%s]", maxParticles,
              kMaxPoolSize, ID(), m_name.CStr());
        refused = true;
        maxParticles = 0;
    }
    m_maxParticles = std::max(0, maxParticles);
    TrimToPool();
    CreateBuffers();

    Parameters p;
    stream.ReadFloat(p.intervalBase);
    stream.ReadFloat(p.intervalRandom);
    stream.ReadInt(p.burstBase);
    stream.ReadInt(p.burstRandom);
    stream.ReadVector4(p.startColorBase);
    stream.ReadVector4(p.startColorRandom);
    stream.ReadVector4(p.endColorBase);
    stream.ReadVector4(p.endColorRandom);
    stream.ReadFloat(p.speedBase);
    stream.ReadFloat(p.speedRandom);
    stream.ReadVector3(p.accelerationBase);
    stream.ReadVector3(p.accelerationRandom);
    stream.ReadFloat(p.lifetimeBase);
    stream.ReadFloat(p.lifetimeRandom);
    stream.ReadFloat(p.startSizeBase);
    stream.ReadFloat(p.startSizeRandom);
    stream.ReadFloat(p.endSizeBase);
    if (stream.ReadFloat(p.endSizeRandom) != kSuccess || stream.State() != kSuccess) {
        Error("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    m_timer = 0.0f;
    if (SetParameters(p) != kSuccess) {
        Error("Недопустимые параметры системы частиц (не число или отрицательное время жизни): система не "
              "испускает частиц. ID[%d] Имя[%s]",
              ID(), m_name.CStr());
        refused = true;
    }
    if (refused)
        Disable();

    Ptr<Emitter> emitter;
    if (stream.ReadObject(emitter) != kSuccess) {
        Error("Невозможно загрузить эмиттер системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    SetEmitter(emitter.Get());
    return kSuccess;
}

void ParticleSystem::VisitReferences(ReferenceVisitor& visitor)
{
    GeometryNode::VisitReferences(visitor);
    visitor(m_emitter);
}

}  // namespace zen
