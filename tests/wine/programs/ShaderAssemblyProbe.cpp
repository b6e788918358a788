// A Windows program for the Wine stage that assembles shader programs with both our assembler
// and the system's D3DXAssembleShader and writes the tokens of each, so the test can require
// the same code (comment tokens aside) and the same verdict on texts that do not assemble.
//
//   ShaderAssemblyProbe.exe OUT LOG            every program of the registered effect classes
//   ShaderAssemblyProbe.exe OUT LOG TEXTS      the programs of file TEXTS, separated by "----" lines
//
// OUT lines: per program "program <index> <label>", "d3dx ok|fail <tokens in hex>" (on failure
// the first line of D3DX's message instead of tokens), "ours ok|fail <tokens or message>";
// finally "programs <count>" and "done".
#include <d3dx9shader.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/core/FileMessageOutput.h"
#include "engine/core/MessageLog.h"
#include "engine/core/Ptr.h"
#include "engine/render/ShaderAssembler.h"
#include "engine/scene/ShaderCatalog.h"
#include "tests/wine/programs/ProbeOutput.h"

namespace {

using probe::Line;

struct Text {
    std::string label;
    std::string source;
};

// D3DX may put comment blocks (constant tables, debug data) before the first instruction.
std::vector<uint32_t> WithoutComments(const DWORD* words, size_t count)
{
    std::vector<uint32_t> tokens(words, words + count);
    size_t at = 1;
    while (at < tokens.size() && (tokens[at] & 0xFFFF) == 0xFFFE) {
        const size_t length = (tokens[at] >> 16) & 0x7FFF;
        tokens.erase(tokens.begin() + static_cast<long>(at), tokens.begin() + static_cast<long>(std::min(tokens.size(), at + 1 + length)));
    }
    return tokens;
}

std::string Hex(const std::vector<uint32_t>& tokens)
{
    std::string text;
    char word[16];
    for (uint32_t token : tokens) {
        std::snprintf(word, sizeof word, " %08x", token);
        text += word;
    }
    return text;
}

std::string FirstLine(std::string text)
{
    const size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

void Compare(size_t index, const Text& text)
{
    Line("program %u %s", static_cast<unsigned>(index), text.label.c_str());
    ID3DXBuffer* code = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT assembled =
        D3DXAssembleShader(text.source.c_str(), static_cast<UINT>(text.source.size()), nullptr, nullptr, 0, &code, &errors);
    if (SUCCEEDED(assembled) && code) {
        const auto* words = static_cast<const DWORD*>(code->GetBufferPointer());
        Line("d3dx ok%s", Hex(WithoutComments(words, code->GetBufferSize() / 4)).c_str());
    } else {
        std::string message = errors ? std::string(static_cast<const char*>(errors->GetBufferPointer()),
                                                   strnlen(static_cast<const char*>(errors->GetBufferPointer()),
                                                           errors->GetBufferSize()))
                                     : std::string();
        Line("d3dx fail %s", FirstLine(message).c_str());
    }
    if (code)
        code->Release();
    if (errors)
        errors->Release();

    std::vector<uint32_t> tokens;
    std::string message;
    const zen::Result ours = zen::ShaderAssembler::Assemble(text.source, tokens, message);
    if (ours == zen::kSuccess)
        Line("ours ok%s", Hex(tokens).c_str());
    else
        Line("ours fail %s", message.c_str());
}

bool ReadTexts(const char* path, std::vector<Text>& out)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    std::string all;
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        all.append(block, got);
    std::fclose(file);
    Text current;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        const std::string line = all.substr(start, end - start);
        start = end + 1;
        if (line.rfind("----", 0) == 0) {
            if (!current.source.empty())
                out.push_back(current);
            current = Text{FirstLine(line.substr(4)), std::string()};
            continue;
        }
        current.source += line + "\n";
    }
    if (!current.source.empty())
        out.push_back(current);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || !probe::OpenOutput(argv[1]))
        return 2;
    zen::Ptr<zen::FileMessageOutput> log(new zen::FileMessageOutput(zen::String(argv[2])));
    (void)zen::RegisterOutput(log.Get());
    std::vector<Text> texts;
    int exitCode = 0;
    if (argc > 3) {
        if (!ReadTexts(argv[3], texts))
            exitCode = 3;
    } else if (zen::EngineInitialize() == zen::kSuccess) {
        zen::Array<zen::ShaderCatalog::Program> programs(16, 16);
        if (zen::ShaderCatalog::Collect(programs) != zen::kSuccess)
            exitCode = 4;
        for (uint32_t i = 0; i < programs.Count(); ++i)
            texts.push_back(Text{std::string(programs[i].effect.CStr()) + " " + programs[i].name.CStr(),
                                 std::string(programs[i].source.CStr(), programs[i].source.Length())});
        (void)zen::EngineShutdown();
    } else {
        exitCode = 5;
    }
    for (size_t i = 0; i < texts.size(); ++i)
        Compare(i, texts[i]);
    Line("programs %u", static_cast<unsigned>(texts.size()));
    Line("done");
    (void)zen::UnregisterOutput(log.Get());
    probe::CloseOutput();
    return exitCode;
}
