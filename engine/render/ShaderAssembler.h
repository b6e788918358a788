#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Result.h"

namespace zen {

// Turns Direct3D 9 shader assembly (vs_1_1, vs_2_0, ps_1_1 to ps_1_4 with the "ps.1.1" spelling,
// ps_2_0, and the 2_x/3_0 instructions they share) into the device's token stream: the version
// token, one instruction token per instruction with its destination and source parameter tokens
// (registers, write masks, swizzles, source and result modifiers, relative addressing), def/dcl
// data, and the end token. Comments ("//", ";", "/* */") are dropped; no comment tokens are
// written. Plain code without device or platform, so that every program in the tree can be
// checked where the engine builds.
class ShaderAssembler {
public:
    // Assembles `text`. kSuccess with `tokens` replaced by the program; kFailure with `message`
    // naming the line and the reason ("line 3: unknown instruction \"mvo\"") and `tokens` left
    // as they were; kOutOfMemory. Nothing is logged: the caller reports.
    static Result Assemble(std::string_view text, std::vector<uint32_t>& tokens, std::string& message);
};

}  // namespace zen
