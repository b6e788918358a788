#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/ShaderAssembler.h"

// The shader assembler: token streams recorded from D3DXAssembleShader (under Wine) for the
// instructions, registers, modifiers, declarations and definitions of every supported model,
// and the line and reason of texts that do not assemble.
namespace zen {
namespace {

using Tokens = std::vector<uint32_t>;

Tokens Assembled(std::string_view text)
{
    Tokens tokens;
    std::string message;
    EXPECT_EQ(ShaderAssembler::Assemble(text, tokens, message), kSuccess) << text << message;
    return tokens;
}

struct RecordedCase {
    const char* text;
    Tokens tokens;  // As D3DXAssembleShader wrote them, comment tokens left out.
};

// One program per group of features; together they use every instruction of the vs_1_1,
// vs_2_0, ps_1_1 and ps_2_0 programs the effects are written in.
const RecordedCase kRecorded[] = {
    {"vs_1_1\n"
     "dcl_position v0\n"
     "dcl_texcoord1 v5.xy\n"
     "dcl_color1 v3\n"
     "dcl_blendindices v1\n"
     "dcl_normal v2\n"
     "dcl_tangent v4\n",
     {0xfffe0101, 0x0000001f, 0x80000000, 0x900f0000, 0x0000001f, 0x80010005, 0x90030005, 0x0000001f,
      0x8001000a, 0x900f0003, 0x0000001f, 0x80000002, 0x900f0001, 0x0000001f, 0x80000003, 0x900f0002,
      0x0000001f, 0x80000006, 0x900f0004, 0x0000ffff}},
    {"vs_1_1\n"
     "mov oPos, v0\n"
     "mov oFog, r1.x\n"
     "mov oPts, r0.y\n"
     "mov oD1.xyz, r1\n"
     "mov oT7.xy, r1.zw\n",
     {0xfffe0101, 0x00000001, 0xc00f0000, 0x90e40000, 0x00000001, 0xc00f0001, 0x80000001, 0x00000001,
      0xc00f0002, 0x80550000, 0x00000001, 0xd0070001, 0x80e40001, 0x00000001, 0xe0030007, 0x80fe0001,
      0x0000ffff}},
    {"vs_1_1\n"
     "mad r2.xz, r1.yyyy, -c2.wzyx, r0\n"
     "sge r5.yzw, r0, c0.xxzz\n"
     "mul r0, v0.x, c95\n",
     {0xfffe0101, 0x00000004, 0x80050002, 0x80550001, 0xa11b0002, 0x80e40000, 0x0000000d, 0x800e0005,
      0x80e40000, 0xa0a00000, 0x00000005, 0x800f0000, 0x90000000, 0xa0e4005f, 0x0000ffff}},
    {"vs_1_1\n"
     "mov a0.x, v1.x\n"
     "mov r1, c[a0.x + 10]\n"
     "mov r2, c[12 + a0.x]\n"
     "mov r3, c4[a0.x]\n"
     "mov r4, c[a0.x]\n",
     {0xfffe0101, 0x00000001, 0xb0010000, 0x90000001, 0x00000001, 0x800f0001, 0xa0e4200a, 0x00000001,
      0x800f0002, 0xa0e4200c, 0x00000001, 0x800f0003, 0xa0e42004, 0x00000001, 0x800f0004, 0xa0e42000,
      0x0000ffff}},
    {"vs_1_1\n"
     "m4x4 oPos, v0, c0\n"
     "m3x3 r1.xyz, v2, c4\n"
     "lit r8, r0\n"
     "expp r6, r0.x\n"
     "logp r6.z, r0.w\n"
     "frc r10.xy, r0\n"
     "dst r9, r0, r1\n"
     "rcp r1.w, r0.x\n"
     "rsq r1.z, r0.y\n",
     {0xfffe0101, 0x00000014, 0xc00f0000, 0x90e40000, 0xa0e40000, 0x00000017, 0x80070001, 0x90e40002,
      0xa0e40004, 0x00000010, 0x800f0008, 0x80e40000, 0x0000004e, 0x800f0006, 0x80000000, 0x0000004f,
      0x80040006, 0x80ff0000, 0x00000013, 0x8003000a, 0x80e40000, 0x00000011, 0x800f0009, 0x80e40000,
      0x80e40001, 0x00000006, 0x80080001, 0x80000000, 0x00000007, 0x80040001, 0x80550000, 0x0000ffff}},
    {"vs_1_1\n"
     "def c10, 1, -0.5, 0.25, 25.0\n"
     "def c11, 0.0, 1.0, -3.75, 1000\n",
     {0xfffe0101, 0x00000051, 0xa00f000a, 0x3f800000, 0xbf000000, 0x3e800000, 0x41c80000, 0x00000051,
      0xa00f000b, 0x00000000, 0x3f800000, 0xc0700000, 0x447a0000, 0x0000ffff}},
    {"vs_2_0\n"
     "dcl_position v0\n"
     "dcl_texcoord0 v1\n"
     "mova a0.xy, v1\n"
     "mov r1, c[a0.y + 2]\n"
     "add r1, r1, c[a0.w]\n"
     "mov oPos, r1\n",
     {0xfffe0200, 0x0200001f, 0x80000000, 0x900f0000, 0x0200001f, 0x80000005, 0x900f0001, 0x0200002e,
      0xb0030000, 0x90e40001, 0x03000001, 0x800f0001, 0xa0e42002, 0xb0550000, 0x04000002, 0x800f0001,
      0x80e40001, 0xa0e42000, 0xb0ff0000, 0x02000001, 0xc00f0000, 0x80e40001, 0x0000ffff}},
    {"vs_2_0\n"
     "defi i0, 3, 0, 1, 0\n"
     "defi i1, -2, 255, 0, 0\n"
     "loop aL, i0\n"
     "add r0, r0, c[aL + 2]\n"
     "endloop\n"
     "rep i1\n"
     "add r0, r0, c1\n"
     "endrep\n",
     {0xfffe0200, 0x05000030, 0xf00f0000, 0x00000003, 0x00000000, 0x00000001, 0x00000000, 0x05000030,
      0xf00f0001, 0xfffffffe, 0x000000ff, 0x00000000, 0x00000000, 0x0200001b, 0xf0e40800, 0xf0e40000,
      0x04000002, 0x800f0000, 0x80e40000, 0xa0e42002, 0xf0e40800, 0x0000001d, 0x01000026, 0xf0e40001,
      0x03000002, 0x800f0000, 0x80e40000, 0xa0e40001, 0x00000027, 0x0000ffff}},
    {"vs_2_0\n"
     "defb b0, true\n"
     "defb b1, false\n"
     "if b0\n"
     "mov r0, c1\n"
     "else\n"
     "mov r0, c2\n"
     "endif\n"
     "callnz l1, b1\n"
     "call l0\n"
     "mov oPos, r0\n"
     "ret\n"
     "label l0\n"
     "ret\n"
     "label l1\n"
     "ret\n",
     {0xfffe0200, 0x0200002f, 0xe00f0800, 0x00000001, 0x0200002f, 0xe00f0801, 0x00000000, 0x01000028,
      0xe0e40800, 0x02000001, 0x800f0000, 0xa0e40001, 0x0000002a, 0x02000001, 0x800f0000, 0xa0e40002,
      0x0000002b, 0x0200001a, 0xa0e41001, 0xe0e40801, 0x01000019, 0xa0e41000, 0x02000001, 0xc00f0000,
      0x80e40000, 0x0000001c, 0x0100001e, 0xa0e41000, 0x0000001c, 0x0100001e, 0xa0e41001, 0x0000001c,
      0x0000ffff}},
    {"vs_2_0\n"
     "sincos r6.xy, r0.x, c0, c1\n"
     "crs r5.xyz, r3, r4\n"
     "nrm r3, r2\n"
     "pow r4.x, r3.x, c20.y\n"
     "abs r2, -r1\n"
     "sgn r7, r0, r1, r2\n"
     "lrp r8, c20.x, r0, r1\n",
     {0xfffe0200, 0x04000025, 0x80030006, 0x80000000, 0xa0e40000, 0xa0e40001, 0x03000021, 0x80070005,
      0x80e40003, 0x80e40004, 0x02000024, 0x800f0003, 0x80e40002, 0x03000020, 0x80010004, 0x80000003,
      0xa0550014, 0x02000023, 0x800f0002, 0x81e40001, 0x04000022, 0x800f0007, 0x80e40000, 0x80e40001,
      0x80e40002, 0x04000012, 0x800f0008, 0xa0000014, 0x80e40000, 0x80e40001, 0x0000ffff}},
    {"vs_2_0\n"
     "def c0, 1, 2, 3, 4\n"
     "dcl_position v0\n"
     "mov oPos, v0\n"
     "def c1, 5, 6, 7, 8\n"
     "dcl_normal v1\n"
     "mov oD0, v1\n",
     {0xfffe0200, 0x0200001f, 0x80000000, 0x900f0000, 0x0200001f, 0x80000003, 0x900f0001, 0x05000051,
      0xa00f0000, 0x3f800000, 0x40000000, 0x40400000, 0x40800000, 0x05000051, 0xa00f0001, 0x40a00000,
      0x40c00000, 0x40e00000, 0x41000000, 0x02000001, 0xc00f0000, 0x90e40000, 0x02000001, 0xd00f0000,
      0x90e40001, 0x0000ffff}},
    {"vs_2_x\n"
     "if_gt r0.x, c4.x\n"
     "mov r0, c1\n"
     "endif\n"
     "rep i0\n"
     "break_ne r0.y, c3.y\n"
     "break\n"
     "endrep\n",
     {0xfffe0201, 0x02010029, 0x80000000, 0xa0000004, 0x02000001, 0x800f0000, 0xa0e40001, 0x0000002b,
      0x01000026, 0xf0e40000, 0x0205002d, 0x80550000, 0xa0550003, 0x0000002c, 0x00000027, 0x0000ffff}},
    {"ps.1.1\n"
     "tex t0\n"
     "texcoord t2\n"
     "mad_x2 r1, t1_bx2, v1_bias, -r0\n"
     "add_sat r0.rgb, r0, r1\n"
     "+mul r0.a, t0.a, c0.b\n",
     {0xffff0101, 0x00000042, 0xb00f0000, 0x00000040, 0xb00f0002, 0x00000004, 0x810f0001, 0xb4e40001,
      0x92e40001, 0x81e40000, 0x00000002, 0x80170000, 0x80e40000, 0x80e40001, 0x40000005, 0x80080000,
      0xb0ff0000, 0xa0aa0000, 0x0000ffff}},
    {"ps_1_1\n"
     "mul_x4 r1.rgb, 1-r0, t2\n"
     "mul_d2 r1.a, -t3_bx2.b, c0\n"
     "sub_x2 r0, r0, -r1_bias\n"
     "mul_x8 r0, r0, r1\n"
     "mul_d4 r0, r0, r1\n"
     "mul_d8 r0, r0, r1\n",
     {0xffff0101, 0x00000005, 0x82070001, 0x86e40000, 0xb0e40002, 0x00000005, 0x8f080001, 0xb5aa0003,
      0xa0e40000, 0x00000003, 0x810f0000, 0x80e40000, 0x83e40001, 0x00000005, 0x830f0000, 0x80e40000,
      0x80e40001, 0x00000005, 0x8e0f0000, 0x80e40000, 0x80e40001, 0x00000005, 0x8d0f0000, 0x80e40000,
      0x80e40001, 0x0000ffff}},
    {"ps_1_1\n"
     "cnd r0, r0.a, r1, v0\n"
     "mad_d4 r0.rgb, r1, r1.b, -r1_bx2\n"
     "mul_sat r0, r0_x2, v0\n"
     "lrp r0, c0.a, r0, r1\n"
     "dp3_sat r1, t0_bx2, v0_bx2\n"
     "dp4 r1, r0, c0\n",
     {0xffff0101, 0x00000050, 0x800f0000, 0x80ff0000, 0x80e40001, 0x90e40000, 0x00000004, 0x8e070000,
      0x80e40001, 0x80aa0001, 0x85e40001, 0x00000005, 0x801f0000, 0x87e40000, 0x90e40000, 0x00000012,
      0x800f0000, 0xa0ff0000, 0x80e40000, 0x80e40001, 0x00000008, 0x801f0001, 0xb4e40000, 0x94e40000,
      0x00000009, 0x800f0001, 0x80e40000, 0xa0e40000, 0x0000ffff}},
    {"ps_1_1\n"
     "tex t0\n"
     "texbem t1, t0\n"
     "texbeml t2, t0\n"
     "texkill t3\n"
     "texreg2ar t1, t0\n"
     "texreg2gb t2, t0\n",
     {0xffff0101, 0x00000042, 0xb00f0000, 0x00000043, 0xb00f0001, 0xb0e40000, 0x00000044, 0xb00f0002,
      0xb0e40000, 0x00000041, 0xb00f0003, 0x00000045, 0xb00f0001, 0xb0e40000, 0x00000046, 0xb00f0002,
      0xb0e40000, 0x0000ffff}},
    {"ps_1_1\n"
     "tex t0\n"
     "texm3x2pad t1, t0_bx2\n"
     "texm3x2tex t2, t0_bx2\n"
     "texm3x3pad t1, t0\n"
     "texm3x3tex t3, t0\n"
     "texm3x3spec t3, t0_bx2, c0\n"
     "texm3x3vspec t3, t0\n",
     {0xffff0101, 0x00000042, 0xb00f0000, 0x00000047, 0xb00f0001, 0xb4e40000, 0x00000048, 0xb00f0002,
      0xb4e40000, 0x00000049, 0xb00f0001, 0xb0e40000, 0x0000004a, 0xb00f0003, 0xb0e40000, 0x0000004c,
      0xb00f0003, 0xb4e40000, 0xa0e40000, 0x0000004d, 0xb00f0003, 0xb0e40000, 0x0000ffff}},
    {"ps_1_1\n"
     "def c0, 1.0, 0.5, 0.25, 0\n"
     "def c7, -1, 0, 0, 1\n"
     "mov r0, c0\n",
     {0xffff0101, 0x00000051, 0xa00f0000, 0x3f800000, 0x3f000000, 0x3e800000, 0x00000000, 0x00000051,
      0xa00f0007, 0xbf800000, 0x00000000, 0x00000000, 0x3f800000, 0x00000001, 0x800f0000, 0xa0e40000,
      0x0000ffff}},
    {"ps_1_3\n"
     "tex t0\n"
     "texdp3 t1, t0\n"
     "texdp3tex t2, t0\n"
     "texm3x3 t3, t0\n"
     "texreg2rgb t1, t0\n"
     "cmp r0, t1, t0, v0\n",
     {0xffff0103, 0x00000042, 0xb00f0000, 0x00000055, 0xb00f0001, 0xb0e40000, 0x00000053, 0xb00f0002,
      0xb0e40000, 0x00000056, 0xb00f0003, 0xb0e40000, 0x00000052, 0xb00f0001, 0xb0e40000, 0x00000058,
      0x800f0000, 0xb0e40001, 0xb0e40000, 0x90e40000, 0x0000ffff}},
    {"ps_2_0\n"
     "dcl_2d s0\n"
     "dcl_cube s1\n"
     "dcl_volume s2\n"
     "dcl t0.xyz\n"
     "dcl v1.rgb\n"
     "dcl_centroid t1\n"
     "dcl_pp t2.xy\n",
     {0xffff0200, 0x0200001f, 0x80000000, 0xb0070000, 0x0200001f, 0x80000000, 0x90070001, 0x0200001f,
      0x80000000, 0xb04f0001, 0x0200001f, 0x80000000, 0xb0230002, 0x0200001f, 0x90000000, 0xa00f0800,
      0x0200001f, 0x98000000, 0xa00f0801, 0x0200001f, 0xa0000000, 0xa00f0802, 0x0000ffff}},
    {"ps_2_0\n"
     "dcl t0\n"
     "dcl_2d s0\n"
     "texld r3, t0, s0\n"
     "texldp r4, t0, s0\n"
     "texldb r5, t0, s0\n"
     "texld_pp r0, t0, s0\n"
     "mov_sat_pp oC0, r0\n",
     {0xffff0200, 0x0200001f, 0x80000000, 0xb00f0000, 0x0200001f, 0x90000000, 0xa00f0800, 0x03000042,
      0x800f0003, 0xb0e40000, 0xa0e40800, 0x03010042, 0x800f0004, 0xb0e40000, 0xa0e40800, 0x03020042,
      0x800f0005, 0xb0e40000, 0xa0e40800, 0x03000042, 0x802f0000, 0xb0e40000, 0xa0e40800, 0x02000001,
      0x803f0800, 0x80e40000, 0x0000ffff}},
    {"ps_2_0\n"
     "dcl t0\n"
     "mad_sat r1.xyz, r0, c1.y, c1.y\n"
     "dp2add r4.x, r0, r1, c5.x\n"
     "texkill r0\n"
     "texkill t0\n"
     "mov oDepth, r0.x\n"
     "mov oC1, r0.wzyx\n"
     "cmp r3, r2, r1, c5\n",
     {0xffff0200, 0x0200001f, 0x80000000, 0xb00f0000, 0x04000004, 0x80170001, 0x80e40000, 0xa0550001,
      0xa0550001, 0x0400005a, 0x80010004, 0x80e40000, 0x80e40001, 0xa0000005, 0x01000041, 0x800f0000,
      0x01000041, 0xb00f0000, 0x02000001, 0x900f0800, 0x80000000, 0x02000001, 0x800f0801, 0x801b0000,
      0x04000058, 0x800f0003, 0x80e40002, 0x80e40001, 0xa0e40005, 0x0000ffff}},
    {"ps_2_0\n"
     "dcl t0\n"
     "exp r5, r0.x\n"
     "log r5.y, r0.z\n"
     "frc r6, r0\n"
     "min r7, r0, r1\n"
     "max r7.xy, r0, r1\n"
     "m4x4 r13, r0, c0\n"
     "m3x2 r13.xy, r0, c0\n"
     "rcp r9.z, r0.w\n"
     "rsq r9.y, r0.w\n",
     {0xffff0200, 0x0200001f, 0x80000000, 0xb00f0000, 0x0200000e, 0x800f0005, 0x80000000, 0x0200000f,
      0x80020005, 0x80aa0000, 0x02000013, 0x800f0006, 0x80e40000, 0x0300000a, 0x800f0007, 0x80e40000,
      0x80e40001, 0x0300000b, 0x80030007, 0x80e40000, 0x80e40001, 0x03000014, 0x800f000d, 0x80e40000,
      0xa0e40000, 0x03000018, 0x8003000d, 0x80e40000, 0xa0e40000, 0x02000006, 0x80040009, 0x80ff0000,
      0x02000007, 0x80020009, 0x80ff0000, 0x0000ffff}},
};

TEST(ShaderAssemblerTest, ProgramsGiveTheTokensD3dxGives)
{
    for (const RecordedCase& recorded : kRecorded)
        EXPECT_EQ(Assembled(recorded.text), recorded.tokens) << recorded.text;
}

// Spellings that must not change the code: the version with dots, comments of every kind,
// carriage returns, tabs, colour letters for components and upper-case names.
TEST(ShaderAssemblerTest, SpellingsGiveTheSameCode)
{
    struct Pair {
        const char* plain;
        const char* spelled;
    };
    const Pair pairs[] = {
        {"ps_1_1\nmov r0, v0\n", "ps.1.1\nmov r0, v0\n"},
        {"vs_1_1\ndcl_position v0\nmov oPos, v0\n",
         "// leading\n; also\nvs_1_1 ; the version\n\n/* a block\n   comment */ dcl_position v0\nmov oPos, v0 // end\n"},
        {"vs_1_1\ndcl_position v0\nmov oPos, v0\n", "vs_1_1\r\n\tdcl_position   v0\r\n\tmov oPos,v0\r\n"},
        {"ps_1_1\nmov r0.xyz, v0.xyzw\n+mov r0.w, v1.w\n", "ps_1_1\nmov r0.rgb, v0.rgba\n+ mov r0.a, v1.a\n"},
        {"vs_1_1\nmov oPos, c0\n", "VS_1_1\nMOV OPOS, C0\n"},
        {"ps_1_1\nmul r0, t0_bx2.b, v0\n", "ps_1_1\nmul r0, t0.b_bx2, v0\n"},
        {"vs_1_1\nmov r0, c[a0.x + 3]\n", "vs_1_1\nmov r0, c3[a0.x]\n"},
        {"vs_2_0\ndef c0, 1, 0.5, -2, 0\n", "vs_2_0\ndef c0, 1.0f, +0.50, -2.0, 0.0\n"},
        {"ps_1_1\nmov r0, 1 - v0\n", "ps_1_1\nmov r0, 1-v0\n"},
    };
    for (const Pair& pair : pairs)
        EXPECT_EQ(Assembled(pair.spelled), Assembled(pair.plain)) << pair.spelled;
}

struct FailureCase {
    const char* text;
    const char* message;
};

TEST(ShaderAssemblerTest, FaultsNameTheLineAndTheReason)
{
    const FailureCase cases[] = {
        {"", "line 1: no shader version (vs_1_1, vs_2_0, ps.1.1, ps_2_0, ...)"},
        {"// only a comment\n", "line 2: no shader version (vs_1_1, vs_2_0, ps.1.1, ps_2_0, ...)"},
        {"mov oPos, v0\n", "line 1: \"mov oPos, v0\" is not a shader version"},
        {"vs_4_0\n", "line 1: shader version \"vs_4_0\" is not supported"},
        {"ps_1_5\n", "line 1: shader version \"ps_1_5\" is not supported"},
        {"vs_1_1\n// note\n\n/* a\n b */\nmvo oPos, v0\n", "line 6: unknown instruction \"mvo\""},
        {"vs_1_1\nmov oPos, v0.xq\n", "line 2: \".xq\" is no swizzle"},
        {"vs_1_1\nmov oPos, v0.xyzwx\n", "line 2: \".xyzwx\" is no swizzle"},
        {"vs_1_1\nmov oPos.yx, v0\n", "line 2: \".yx\" is no write mask"},
        {"vs_1_1\nmov oPos.xx, v0\n", "line 2: \".xx\" is no write mask"},
        {"ps_2_0\ndcl t0\nadd r0, t0\n", "line 3: \"add\" takes 3 operands, not 2"},
        {"ps_2_0\nadd r0, t0, , t1\n", "line 2: empty operand"},
        {"vs_1_1\nmov oPos, q0\n", "line 2: unknown register \"q0\""},
        {"vs_1_1\nmov oPos, t0\n", "line 2: register \"t0\" does not exist in vertex programs"},
        {"ps_2_0\nmov oC0, a0\n", "line 2: register \"a0\" does not exist in pixel programs"},
        {"vs_1_1\nmov v0, c0\n", "line 2: register \"v0\" cannot be written"},
        {"ps_2_0\nmov c0, r0\n", "line 2: register \"c0\" cannot be written"},
        {"ps_1_1\ntexld r0, t0, s0\n", "line 2: instruction \"texld\" does not exist in this shader version"},
        {"vs_2_0\nif_gt r0.x, c0.x\nendif\n", "line 2: instruction \"if_gt\" does not exist in this shader version"},
        {"vs_1_1\nmov_x2 r0, c0\n", "line 2: unknown instruction modifier \"_x2\" on \"mov\""},
        {"ps_2_0\nmov r0, r1_abs\n", "line 2: unknown source modifier \"_abs\""},
        {"vs_1_1\nmov r0, c[a0.y + 1]\n", "line 2: vs 1.1 addresses relative to a0.x only"},
        {"vs_2_0\nmov r0, c[a0 + 1]\n", "line 2: the address register needs its component (a0.x)"},
        {"vs_1_1\nmov r0, v[a0.x]\n", "line 2: only constant registers of vertex programs take a relative address"},
        {"vs_1_1\nmov r0, c[a0.x + 1\n", "line 2: \"c[a0.x + 1\": \"[\" without \"]\""},
        {"vs_1_1\nmov r0, c2048\n", "line 2: register number of \"c2048\" out of range"},
        {"vs_1_1\nmov r0, c99999999999\n", "line 2: register number of \"c99999999999\" out of range"},
        {"ps_2_0\ndef c0, 1, 2, 3\n", "line 2: def takes a constant register and four numbers"},
        {"ps_2_0\ndef c0, 1, 2, 3, x\n", "line 2: \"x\" is not a number"},
        {"ps_2_0\ndef r0, 1, 2, 3, 4\n", "line 2: def defines a constant register (c#)"},
        {"vs_2_0\ndefb b0, yes\n", "line 2: \"yes\" is neither true nor false"},
        {"vs_2_0\ndefi i0, 1, 2, 3, 4.5\n", "line 2: \"4.5\" is not an integer"},
        {"vs_1_1\ndcl_bogus v0\n", "line 2: unknown declaration usage \"bogus\""},
        {"vs_1_1\ndcl v0\n", "line 2: vertex inputs are declared with a usage (dcl_position, dcl_texcoord0, ...)"},
        {"ps_2_0\ndcl_texcoord0 t0\n", "line 2: pixel programs before 3.0 declare inputs with a plain dcl"},
        {"ps_2_0\ndcl_2d t0\n", "line 2: dcl_2d declares a sampler (s#)"},
        {"vs_1_1\n+mov r0, c0\n", "line 2: co-issue (+) exists only in ps 1.x"},
        {"vs_1_1\n/* never closed\nmov r0, c0\n", "line 2: comment not closed"},
        {"ps_1_1\nmov r0, -1-v0\n", "line 2: unknown register \"1-v0\""},
    };
    for (const FailureCase& failure : cases) {
        Tokens tokens{0xDEADBEEF};
        std::string message;
        EXPECT_EQ(ShaderAssembler::Assemble(failure.text, tokens, message), kFailure) << failure.text;
        EXPECT_EQ(message, failure.message) << failure.text;
        EXPECT_EQ(tokens, Tokens{0xDEADBEEF}) << "a failed assembly left its output alone";
    }
}

// A text is read to its length, not to a NUL: a stray NUL byte is no end of the program.
TEST(ShaderAssemblerTest, TextIsReadToItsLength)
{
    static constexpr char kWithNul[] = "vs_1_1\nmov oPos, c0\0\nmov oD0, c1\n";
    const std::string withNul(kWithNul, sizeof kWithNul - 1);
    EXPECT_EQ(Assembled(withNul), Assembled("vs_1_1\nmov oPos, c0\nmov oD0, c1\n"));
    const std::string cut = "vs_1_1\nmov oPos, c0\nmov oD0, c1\n";
    EXPECT_EQ(Assembled(std::string_view(cut).substr(0, 20)), Assembled("vs_1_1\nmov oPos, c0"));
}

}  // namespace
}  // namespace zen
