#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Vector4.h"

namespace zen::test {

// Runs an effect's shader program text on the processor, one vertex or one pixel at a time, so a
// test can check what the program computes against values worked out by hand. It knows the
// instructions the effect programs use (arithmetic, dp3/dp4, rcp/rsq/exp/pow/frc, nrm, lrp, cmp,
// lit, dst, min/max, tex/texld through a sampler the test gives), the source modifiers (negate,
// complement, _bx2, swizzles), the write masks and the _sat, _x2, _x4 and _d2 result modifiers.
// Declarations are skipped; def fills its constant. Not a validator: the assembler is that.
class ShaderRunner {
public:
    // Returns the texel of the texture at `stage` for the coordinates (as the program passes them).
    using Sampler = std::function<Vector4(uint32_t stage, const Vector4& coords)>;

    explicit ShaderRunner(const std::string& program);

    // Registers by name ("c8", "v0", "t2", ...); unset ones read (0, 0, 0, 0).
    void Set(const std::string& name, const Vector4& value) { m_registers[name] = value; }
    void SetSampler(Sampler sampler) { m_sampler = std::move(sampler); }
    // Runs the program; false (with Error()) on an instruction it does not know.
    bool Run();
    Vector4 Get(const std::string& name) const;
    const std::string& Error() const { return m_error; }

private:
    bool Execute(const std::string& line);
    Vector4 Read(const std::string& operand) const;
    void Write(const std::string& operand, const Vector4& value, const std::string& modifiers);

    std::vector<std::string> m_lines;
    std::map<std::string, Vector4> m_registers;
    Sampler m_sampler;
    bool m_pixel11 = false;  // ps.1.1: the result is r0.
    std::string m_error;
};

}  // namespace zen::test
