#include "engine/render/ShaderInstructionSet.h"

namespace zen {
namespace {

using Set = ShaderInstructionSet;
constexpr uint32_t kVs = Set::kVs1 | Set::kVs2;
constexpr uint32_t kPs1x = Set::kPs1 | Set::kPs14;
constexpr uint32_t kPs = kPs1x | Set::kPs2;
constexpr uint32_t kAll = kVs | kPs;
constexpr uint32_t kArithmetic2 = Set::kVs2 | Set::kPs2;

// Opcodes as the device's token format numbers them.
constexpr Set::Instruction kInstructions[] = {
    {"nop", 0, 0, 0, kAll, Set::kPlain, 0},
    {"mov", 1, 1, 1, kAll, Set::kPlain, 0},
    {"add", 2, 1, 2, kAll, Set::kPlain, 0},
    {"sub", 3, 1, 2, kAll, Set::kPlain, 0},
    {"mad", 4, 1, 3, kAll, Set::kPlain, 0},
    {"mul", 5, 1, 2, kAll, Set::kPlain, 0},
    {"rcp", 6, 1, 1, kVs | Set::kPs2, Set::kPlain, 0},
    {"rsq", 7, 1, 1, kVs | Set::kPs2, Set::kPlain, 0},
    {"dp3", 8, 1, 2, kAll, Set::kPlain, 0},
    {"dp4", 9, 1, 2, kVs | Set::kPs14 | Set::kPs2 | Set::kPs1, Set::kPlain, 0},
    {"min", 10, 1, 2, kVs | Set::kPs2, Set::kPlain, 0},
    {"max", 11, 1, 2, kVs | Set::kPs2, Set::kPlain, 0},
    {"slt", 12, 1, 2, kVs, Set::kPlain, 0},
    {"sge", 13, 1, 2, kVs, Set::kPlain, 0},
    {"exp", 14, 1, 1, kVs | Set::kPs2, Set::kPlain, 0},
    {"log", 15, 1, 1, kVs | Set::kPs2, Set::kPlain, 0},
    {"lit", 16, 1, 1, kVs, Set::kPlain, 0},
    {"dst", 17, 1, 2, kVs, Set::kPlain, 0},
    {"lrp", 18, 1, 3, Set::kVs2 | kPs, Set::kPlain, 0},
    {"frc", 19, 1, 1, kVs | Set::kPs2, Set::kPlain, 0},
    {"m4x4", 20, 1, 2, kVs | Set::kPs2, Set::kPlain, 0},
    {"m4x3", 21, 1, 2, kVs | Set::kPs2, Set::kPlain, 0},
    {"m3x4", 22, 1, 2, kVs | Set::kPs2, Set::kPlain, 0},
    {"m3x3", 23, 1, 2, kVs | Set::kPs2, Set::kPlain, 0},
    {"m3x2", 24, 1, 2, kVs | Set::kPs2, Set::kPlain, 0},
    {"call", 25, 0, 1, kArithmetic2, Set::kPlain, 0},
    {"callnz", 26, 0, 2, kArithmetic2, Set::kPlain, 0},
    {"loop", 27, 0, 2, kArithmetic2, Set::kPlain, 0},
    {"ret", 28, 0, 0, kArithmetic2, Set::kPlain, 0},
    {"endloop", 29, 0, 0, kArithmetic2, Set::kPlain, 0},
    {"label", 30, 0, 1, kArithmetic2, Set::kPlain, 0},
    {"dcl", 31, 0, 0, kVs | Set::kPs2, Set::kDeclaration, 0},
    {"pow", 32, 1, 2, kArithmetic2, Set::kPlain, 0},
    {"crs", 33, 1, 2, kArithmetic2, Set::kPlain, 0},
    {"sgn", 34, 1, 3, Set::kVs2, Set::kPlain, 0},
    {"abs", 35, 1, 1, kArithmetic2, Set::kPlain, 0},
    {"nrm", 36, 1, 1, kArithmetic2, Set::kPlain, 0},
    {"sincos", 37, 1, 3, kArithmetic2, Set::kPlain, 0},
    {"rep", 38, 0, 1, kArithmetic2, Set::kPlain, 0},
    {"endrep", 39, 0, 0, kArithmetic2, Set::kPlain, 0},
    {"if", 40, 0, 1, kArithmetic2, Set::kPlain, 0},
    {"ifc", 41, 0, 2, kArithmetic2, Set::kPlain, 0},
    {"else", 42, 0, 0, kArithmetic2, Set::kPlain, 0},
    {"endif", 43, 0, 0, kArithmetic2, Set::kPlain, 0},
    {"break", 44, 0, 0, kArithmetic2, Set::kPlain, 0},
    {"breakc", 45, 0, 2, kArithmetic2, Set::kPlain, 0},
    {"mova", 46, 1, 1, Set::kVs2, Set::kPlain, 0},
    {"defb", 47, 1, 0, kArithmetic2, Set::kDefineBool, 0},
    {"defi", 48, 1, 0, kArithmetic2, Set::kDefineInt, 0},
    {"texcoord", 64, 1, 0, Set::kPs1, Set::kPlain, 0},
    {"texcrd", 64, 1, 1, Set::kPs14, Set::kPlain, 0},
    {"texkill", 65, 1, 0, kPs, Set::kPlain, 0},
    {"tex", 66, 1, 0, Set::kPs1, Set::kPlain, 0},
    {"texld", 66, 1, 1, Set::kPs14, Set::kPlain, 0},
    {"texld", 66, 1, 2, Set::kPs2, Set::kPlain, 0},
    {"texldp", 66, 1, 2, Set::kPs2, Set::kPlain, 0x00010000},
    {"texldb", 66, 1, 2, Set::kPs2, Set::kPlain, 0x00020000},
    {"texbem", 67, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texbeml", 68, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texreg2ar", 69, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texreg2gb", 70, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texm3x2pad", 71, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texm3x2tex", 72, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texm3x3pad", 73, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texm3x3tex", 74, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texm3x3spec", 76, 1, 2, Set::kPs1, Set::kPlain, 0},
    {"texm3x3vspec", 77, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"expp", 78, 1, 1, kVs, Set::kPlain, 0},
    {"logp", 79, 1, 1, kVs, Set::kPlain, 0},
    {"cnd", 80, 1, 3, kPs1x, Set::kPlain, 0},
    {"def", 81, 1, 0, kAll, Set::kDefineFloat, 0},
    {"texreg2rgb", 82, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texdp3tex", 83, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texm3x2depth", 84, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texdp3", 85, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texm3x3", 86, 1, 1, Set::kPs1, Set::kPlain, 0},
    {"texdepth", 87, 1, 0, Set::kPs14, Set::kPlain, 0},
    {"cmp", 88, 1, 3, Set::kPs1 | Set::kPs14 | Set::kPs2, Set::kPlain, 0},
    {"bem", 89, 1, 2, Set::kPs14, Set::kPlain, 0},
    {"dp2add", 90, 1, 3, Set::kPs2, Set::kPlain, 0},
    {"dsx", 91, 1, 1, Set::kPs2, Set::kPlain, 0},
    {"dsy", 92, 1, 1, Set::kPs2, Set::kPlain, 0},
    {"texldd", 93, 1, 4, Set::kPs2, Set::kPlain, 0},
    {"setp", 94, 1, 2, kArithmetic2, Set::kPlain, 0},
    {"texldl", 95, 1, 2, kArithmetic2, Set::kPlain, 0},
    {"breakp", 96, 0, 1, kArithmetic2, Set::kPlain, 0},
    {"phase", 0xFFFD, 0, 0, Set::kPs14, Set::kPlain, 0},
};

}  // namespace

const ShaderInstructionSet::Instruction* ShaderInstructionSet::Find(std::string_view mnemonic, Model model)
{
    for (const Instruction& instruction : kInstructions)
        if ((instruction.models & model) && mnemonic == instruction.mnemonic)
            return &instruction;
    return nullptr;
}

bool ShaderInstructionSet::IsKnown(std::string_view mnemonic)
{
    for (const Instruction& instruction : kInstructions)
        if (mnemonic == instruction.mnemonic)
            return true;
    return false;
}

}  // namespace zen
