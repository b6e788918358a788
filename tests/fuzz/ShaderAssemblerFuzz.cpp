// Arbitrary bytes as a shader program: the line split, comments, mnemonics, registers,
// swizzles, masks, modifiers, relative addresses and numbers must take anything, and a program
// that assembles must be a well-formed token stream (version first, end token last, and from
// 2.0 on instruction lengths that walk exactly to the end).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/ShaderAssembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint32_t> tokens;
    std::string message;
    const zen::Result result =
        zen::ShaderAssembler::Assemble(std::string_view(reinterpret_cast<const char*>(data), size), tokens, message);
    if (result == zen::kFailure) {
        if (message.rfind("line ", 0) != 0 || !tokens.empty())
            __builtin_trap();
        return 0;
    }
    if (result != zen::kSuccess)
        return 0;
    if (tokens.size() < 2 || (tokens.front() >> 17) != 0x7FFF || tokens.back() != 0x0000FFFFu)
        __builtin_trap();
    if ((tokens.front() & 0xFF00) >= 0x0200) {
        size_t at = 1;
        while (at < tokens.size() - 1)
            at += 1 + ((tokens[at] >> 24) & 0xF);
        if (at != tokens.size() - 1)
            __builtin_trap();
    }
    return 0;
}
