#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"
#include "engine/particles/Emitter.h"
#include "engine/particles/Particle.h"
#include "engine/scene/GeometryNode.h"

namespace zen {

// A geometry node whose content is a pool of short-lived particles ("ZEN.ParticleSystem";
// drawn by its subclasses). Every `interval` seconds a burst of particles is born, each placed
// by the emitter and given a speed, acceleration, colours, sizes and lifetime drawn around
// the configured base values (base ± random, Random::Spread); each update moves and ages the
// live ones, blends their colour and size from start to end over their life, and returns those
// past their lifetime to a free list that later births reuse. Particles are allocated only
// while the free list is empty and never more than maxParticles; none is allocated per frame
// once the pool has grown. Positions are in world space, so the subclasses draw with an
// identity world transform.
//
// Stream form after the geometry node's (written without the per-particle buffers): maxParticles
// (int32), intervalBase, intervalRandom, burstBase, burstRandom (int32), startColorBase,
// startColorRandom, endColorBase, endColorRandom (4 x float32), speedBase, speedRandom,
// accelerationBase, accelerationRandom (3 x float32), lifetimeBase, lifetimeRandom,
// startSizeBase, startSizeRandom, endSizeBase, endSizeRandom, then the emitter (link).
// Loading turns negative pool sizes, intervals and bursts into 0. A pool over kMaxPoolSize, a
// value that is not a finite number or a negative base lifetime is logged and leaves a system
// that emits nothing (pool 0, the other values at their defaults).
class ParticleSystem : public GeometryNode {
    ZEN_DECLARE_CLASS

public:
    static constexpr int32_t kMaxPoolSize = 1000000;
    // A frame that would run more bursts than this (a long stall, or an interval of about 0)
    // runs these and drops the rest of its time, so an update always ends.
    static constexpr uint32_t kMaxBurstsPerUpdate = 1000;

    // What a system draws its particles from (all but the pool size and the emitter).
    struct Parameters {
        float intervalBase = 1.0f, intervalRandom = 0.0f;  // Seconds between bursts.
        int32_t burstBase = 10, burstRandom = 0;            // Particles per burst.
        Vector4 startColorBase{0, 0, 0, 1}, startColorRandom{0, 0, 0, 0};
        Vector4 endColorBase{1, 1, 1, 0}, endColorRandom{0, 0, 0, 0};
        float speedBase = 1.0f, speedRandom = 0.0f;         // World units per second.
        Vector3 accelerationBase{}, accelerationRandom{};   // World units per second squared.
        float lifetimeBase = 5.0f, lifetimeRandom = 0.0f;   // Seconds.
        float startSizeBase = 1.0f, startSizeRandom = 0.0f;
        float endSizeBase = 1.0f, endSizeRandom = 0.0f;

        // Every value a finite number and the base lifetime not negative.
        bool IsValid() const;
    };

    ParticleSystem();
    ~ParticleSystem() override;

    // Settings
    int32_t MaxParticles() const { return m_maxParticles; }
    // 0 to kMaxPoolSize (kInvalidArgument otherwise, nothing changed). Live particles beyond a
    // smaller pool die at once; the drawing buffers are made again (CreateBuffers).
    Result SetMaxParticles(int32_t count);
    const Parameters& GetParameters() const { return m_parameters; }
    // kInvalidArgument (nothing changed) unless IsValid; negative intervals and bursts become 0.
    Result SetParameters(const Parameters& parameters);
    Emitter* GetEmitter() const { return m_emitter.Get(); }
    // Installs `emitter` (null: the system emits nothing); a point emitter's owner becomes
    // this system.
    void SetEmitter(Emitter* emitter);

    // Emission switch (the emission controllers write it). While stopped the burst clock stands.
    bool EmissionStopped() const { return m_emissionStopped; }
    void SetEmissionStopped(bool stopped) { m_emissionStopped = stopped; }

    // State
    uint32_t LiveCount() const { return m_liveCount; }
    uint32_t AllocatedCount() const { return m_allocated; }  // Pool elements made so far.
    const Particle* FirstLive() const { return m_live; }     // Newest first, through `next`.
    uint32_t DrawCount() const { return m_drawCount; }       // Primitives the last update wrote.
    // Drops every particle (back to the free list) and restarts the burst clock: the next
    // update bursts at once.
    void Clear();

    // Makes the drawing buffers for maxParticles; nothing in this class.
    virtual void CreateBuffers();

    // Node and geometry
    int32_t GetPrimitiveType() const override { return kPoints; }
    // Controllers, world transform, ageing, emission, the effect, then the drawing data.
    void Update(double time) override;
    // The bound of the live particles (world space), grown by their largest size.
    void UpdateWorldBound() override;
    // Drawn in world space: the node's own transform is set aside for the passes.
    void Draw(Renderer* renderer) override;
    void DrawDeferred(Renderer* renderer) override;

    // Search continues into the emitter.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    void VisitReferences(ReferenceVisitor& visitor) override;  // The emitter.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // One step of every live particle: the base ages, moves and blends them and returns the
    // dead ones to the free list.
    virtual void StepParticles(float dt);
    // Fills a newborn particle from its birth place and direction (draws in the fixed order
    // speed, acceleration x y z, start colour r g b a, end colour, start size, end size,
    // lifetime).
    virtual void SetUpParticle(Particle& particle, const Vector3& position, const Vector3& direction);
    // Writes the drawing data from the live list; nothing in this class.
    virtual void UpdateDrawData();
    // How far a particle of size 1 reaches from its position (the bound adds size x this).
    virtual float ParticleExtent() const { return 1.0f; }
    // The burst clock and births (step 3 of an update); nothing while emission is stopped.
    void RunEmission(float dt);
    // Only the subclasses' drawing buffers change the counted primitives.
    void DrawPrimitives(Renderer* renderer) override;
    void SetDrawCount(uint32_t count) { m_drawCount = count; }
    Particle* LiveList() { return m_live; }

private:
    struct Block;

    // A particle from the free list, or from a new pool block; null when the pool is full or
    // memory runs out (logged).
    Particle* TakeParticle();
    // Kills the live particles beyond the pool size.
    void TrimToPool();
    // Turns this system into one that emits nothing, after a logged load fault.
    void Disable();
    // Draws in world space, with the node's own transform set aside.
    void DrawWorldSpace(Renderer* renderer, bool deferred);

    int32_t m_maxParticles = 0;
    Parameters m_parameters;
    Ptr<Emitter> m_emitter;
    Particle* m_live = nullptr;   // Newest first; the particles belong to the pool blocks.
    Particle* m_free = nullptr;
    uint32_t m_liveCount = 0;
    uint32_t m_allocated = 0;
    Block* m_blocks = nullptr;    // Owned pool storage.
    float m_timer = 0.0f;         // Seconds since the last burst.
    float m_nextInterval = 0.0f;  // 0 at first: the first update bursts.
    bool m_emissionStopped = false;
    uint32_t m_drawCount = 0;
};

}  // namespace zen
