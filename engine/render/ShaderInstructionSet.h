#pragma once
#include <cstdint>
#include <string_view>

namespace zen {

// The Direct3D 9 shader instructions by mnemonic: the opcode that goes into the instruction
// token, how many destination and source operands the instruction takes and in which shader
// models it exists. A read-only table; the assembler looks every mnemonic up here.
class ShaderInstructionSet {
public:
    // Shader models an instruction belongs to (bits of `models`).
    enum Model : uint32_t {
        kVs1 = 1u << 0,  // vs_1_1
        kVs2 = 1u << 1,  // vs_2_0, vs_2_x, vs_3_0
        kPs1 = 1u << 2,  // ps_1_1 to ps_1_3
        kPs14 = 1u << 3, // ps_1_4
        kPs2 = 1u << 4,  // ps_2_0, ps_2_x, ps_3_0
    };
    // Operand forms that are not plain destination plus sources.
    enum Form : uint8_t {
        kPlain,         // `dst` destinations, then `src` sources.
        kDeclaration,   // dcl: a usage or sampler token, then the declared register.
        kDefineFloat,   // def: a constant register and four numbers.
        kDefineInt,     // defi: an integer constant register and four integers.
        kDefineBool,    // defb: a boolean constant register and true or false.
    };

    struct Instruction {
        const char* mnemonic;  // Lower case, without modifiers.
        uint16_t opcode;       // D3DSIO value.
        uint8_t dst;           // 0 or 1.
        uint8_t src;           // Source operand count.
        uint32_t models;       // Model bits.
        Form form;
        uint32_t control;      // Bits 16-23 of the instruction token (texldp, texldb).
    };

    // The instruction `mnemonic` names (lower case) in `model`; the same mnemonic can differ by
    // model (tex, texld, sincos). Null when the model has no such instruction.
    static const Instruction* Find(std::string_view mnemonic, Model model);
    // True when some model knows the mnemonic (tells "unknown" from "not in this version").
    static bool IsKnown(std::string_view mnemonic);
};

}  // namespace zen
