#pragma once
#include "engine/anim/TextureGenerator.h"

namespace zen {

// Fills its owner texture once with a Fresnel reflectance ramp ("ZEN.FresnelTextureController"):
// column x stands for the cosine x / width of the angle of incidence and holds Schlick's
// approximation for the two refractive indices in every byte of every row. The image keeps its
// format. Stream form after the controller block: eta1, eta2 (float32 each).
class FresnelTextureController : public TextureGenerator {
    ZEN_DECLARE_CLASS

public:
    FresnelTextureController() = default;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    float Eta1() const { return m_eta1; }
    float Eta2() const { return m_eta2; }
    void SetIndices(float eta1, float eta2)
    {
        m_eta1 = eta1;
        m_eta2 = eta2;
    }
    // Schlick's reflectance for cosine `c` of the angle of incidence.
    float Reflectance(float c) const;

protected:
    bool Generate(Image& image, bool volume) override;

private:
    float m_eta1 = 1.000293f;  // Air.
    float m_eta2 = 1.333333f;  // Water.
};

}  // namespace zen
