#include "support/ShaderRunner.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

namespace zen::test {
namespace {

float& At(Vector4& v, int i)
{
    return i == 0 ? v.x : i == 1 ? v.y : i == 2 ? v.z : v.w;
}

float At(const Vector4& v, int i)
{
    return i == 0 ? v.x : i == 1 ? v.y : i == 2 ? v.z : v.w;
}

int Component(char c)
{
    switch (c) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    default: return 3;
    }
}

std::string Trim(const std::string& text)
{
    size_t a = 0, b = text.size();
    while (a < b && std::isspace(static_cast<unsigned char>(text[a])))
        ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1])))
        --b;
    return text.substr(a, b - a);
}

std::vector<std::string> Operands(const std::string& text)
{
    std::vector<std::string> out;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        out.push_back(Trim(part));
    return out;
}

Vector4 Map(const Vector4& a, float (*f)(float))
{
    return {f(a.x), f(a.y), f(a.z), f(a.w)};
}

float Dot3(const Vector4& a, const Vector4& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

ShaderRunner::ShaderRunner(const std::string& program)
{
    std::stringstream in(program);
    std::string line;
    while (std::getline(in, line))
        if (!Trim(line).empty())
            m_lines.push_back(Trim(line));
    m_pixel11 = !m_lines.empty() && m_lines[0].rfind("ps.1.", 0) == 0;
}

Vector4 ShaderRunner::Get(const std::string& name) const
{
    auto it = m_registers.find(name);
    return it == m_registers.end() ? Vector4{0, 0, 0, 0} : it->second;
}

Vector4 ShaderRunner::Read(const std::string& operand) const
{
    std::string text = operand;
    bool negate = false, complement = false, bx2 = false;
    if (text.rfind("1-", 0) == 0) {
        complement = true;
        text = text.substr(2);
    } else if (!text.empty() && text[0] == '-') {
        negate = true;
        text = text.substr(1);
    }
    if (text.size() > 4 && text.compare(text.size() - 4, 4, "_bx2") == 0) {
        bx2 = true;
        text = text.substr(0, text.size() - 4);
    }
    std::string swizzle;
    if (const size_t dot = text.find('.'); dot != std::string::npos) {
        swizzle = text.substr(dot + 1);
        text = text.substr(0, dot);
    }
    const Vector4 raw = Get(text);
    Vector4 v = raw;
    if (!swizzle.empty())
        for (int i = 0; i < 4; ++i)
            At(v, i) = At(raw, Component(swizzle[std::min<size_t>(static_cast<size_t>(i), swizzle.size() - 1)]));
    if (bx2)
        v = {2 * v.x - 1, 2 * v.y - 1, 2 * v.z - 1, 2 * v.w - 1};
    if (complement)
        v = {1 - v.x, 1 - v.y, 1 - v.z, 1 - v.w};
    if (negate)
        v = {-v.x, -v.y, -v.z, -v.w};
    return v;
}

void ShaderRunner::Write(const std::string& operand, const Vector4& value, const std::string& modifiers)
{
    std::string name = operand, mask = "xyzw";
    if (const size_t dot = operand.find('.'); dot != std::string::npos) {
        name = operand.substr(0, dot);
        mask = operand.substr(dot + 1);
    }
    Vector4 v = value;
    float scale = 1;
    if (modifiers.find("_x2") != std::string::npos)
        scale = 2;
    if (modifiers.find("_x4") != std::string::npos)
        scale = 4;
    if (modifiers.find("_d2") != std::string::npos)
        scale = 0.5f;
    v = {v.x * scale, v.y * scale, v.z * scale, v.w * scale};
    if (modifiers.find("_sat") != std::string::npos)
        v = Map(v, [](float f) { return std::clamp(f, 0.0f, 1.0f); });
    Vector4& target = m_registers[name];
    for (char c : mask)
        At(target, Component(c)) = At(v, Component(c));
}

bool ShaderRunner::Execute(const std::string& line)
{
    const size_t space = line.find_first_of(" \t");
    const std::string word = line.substr(0, space);
    const std::vector<std::string> ops = space == std::string::npos ? std::vector<std::string>{}
                                                                    : Operands(line.substr(space + 1));
    if (word.rfind("vs_", 0) == 0 || word.rfind("ps", 0) == 0 || word.rfind("dcl", 0) == 0)
        return true;
    if (word == "def") {
        m_registers[ops[0]] = Vector4{std::stof(ops[1]), std::stof(ops[2]), std::stof(ops[3]), std::stof(ops[4])};
        return true;
    }
    const size_t underscore = word.find('_');
    const std::string op = word.substr(0, underscore);
    const std::string modifiers = underscore == std::string::npos ? "" : word.substr(underscore);
    auto src = [&](size_t i) { return Read(ops.at(i)); };
    auto scalar = [&](size_t i) { return src(i).w; };  // Replicated by the program's swizzle.
    Vector4 r{0, 0, 0, 0};
    if (op == "mov") {
        r = src(1);
    } else if (op == "add" || op == "sub" || op == "mul" || op == "min" || op == "max") {
        const Vector4 a = src(1), b = src(2);
        for (int i = 0; i < 4; ++i) {
            const float x = At(a, i), y = At(b, i);
            At(r, i) = op == "add" ? x + y : op == "sub" ? x - y : op == "mul" ? x * y : op == "min" ? std::min(x, y)
                                                                                                      : std::max(x, y);
        }
    } else if (op == "mad") {
        const Vector4 a = src(1), b = src(2), c = src(3);
        r = {a.x * b.x + c.x, a.y * b.y + c.y, a.z * b.z + c.z, a.w * b.w + c.w};
    } else if (op == "lrp") {
        const Vector4 f = src(1), a = src(2), b = src(3);
        for (int i = 0; i < 4; ++i)
            At(r, i) = At(f, i) * At(a, i) + (1 - At(f, i)) * At(b, i);
    } else if (op == "cmp") {
        const Vector4 t = src(1), a = src(2), b = src(3);
        for (int i = 0; i < 4; ++i)
            At(r, i) = At(t, i) >= 0 ? At(a, i) : At(b, i);
    } else if (op == "dp3" || op == "dp4") {
        const Vector4 a = src(1), b = src(2);
        const float d = Dot3(a, b) + (op == "dp4" ? a.w * b.w : 0);
        r = {d, d, d, d};
    } else if (op == "rcp" || op == "rsq" || op == "exp") {
        const float x = scalar(1);
        const float y = op == "rcp" ? 1 / x : op == "rsq" ? 1 / std::sqrt(std::fabs(x)) : std::exp2(x);
        r = {y, y, y, y};
    } else if (op == "pow") {
        const float y = std::pow(std::fabs(scalar(1)), scalar(2));
        r = {y, y, y, y};
    } else if (op == "frc") {
        r = Map(src(1), [](float f) { return f - std::floor(f); });
    } else if (op == "nrm") {
        const Vector4 a = src(1);
        const float length = std::sqrt(Dot3(a, a));
        r = {a.x / length, a.y / length, a.z / length, a.w / length};
    } else if (op == "lit") {
        const Vector4 a = src(1);
        r = {1, std::max(a.x, 0.0f), a.x > 0 ? std::pow(std::max(a.y, 0.0f), a.w) : 0, 1};
    } else if (op == "dst") {
        const Vector4 a = src(1), b = src(2);
        r = {1, a.y * b.y, a.z, b.w};
    } else if (op == "texld") {
        const std::string sampler = ops.at(2);
        r = m_sampler ? m_sampler(static_cast<uint32_t>(std::stoul(sampler.substr(1))), src(1)) : Vector4{0, 0, 0, 0};
    } else if (op == "tex") {
        const uint32_t stage = static_cast<uint32_t>(std::stoul(ops.at(0).substr(1)));
        r = m_sampler ? m_sampler(stage, Get(ops.at(0))) : Vector4{0, 0, 0, 0};
    } else {
        m_error = "unknown instruction: " + line;
        return false;
    }
    Write(ops.at(0), r, modifiers);
    return true;
}

bool ShaderRunner::Run()
{
    for (const std::string& line : m_lines)
        if (!Execute(line))
            return false;
    if (m_pixel11)
        m_registers["oC0"] = Get("r0");
    return true;
}

}  // namespace zen::test
