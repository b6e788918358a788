#include "engine/render/ShaderAssembler.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <new>

#include "engine/render/ShaderInstructionSet.h"

namespace zen {
namespace {

// Register types as the parameter tokens number them.
enum RegisterType : uint32_t {
    kTemp = 0,
    kInput = 1,
    kConst = 2,
    kAddress = 3,  // a0 in vertex programs; the same number is t# in pixel programs.
    kTexture = 3,
    kRasterOut = 4,
    kAttributeOut = 5,
    kTexCoordOut = 6,
    kConstInt = 7,
    kColorOut = 8,
    kDepthOut = 9,
    kSampler = 10,
    kConstBool = 14,
    kLoop = 15,
    kLabel = 18,
    kPredicate = 19,
};

constexpr uint32_t kParameterBit = 0x80000000u;
constexpr uint32_t kRelativeBit = 0x00002000u;
constexpr uint32_t kCoIssueBit = 0x40000000u;
constexpr uint32_t kIdentitySwizzle = 0xE4;  // x y z w
constexpr uint32_t kFullMask = 0xF;
constexpr uint32_t kEndToken = 0x0000FFFFu;
constexpr uint32_t kMaxRegisterIndex = 2047;  // Eleven bits of the parameter token.

// Result modifiers (bits 20-23 of a destination token) and shifts (bits 24-27, signed).
constexpr uint32_t kSaturate = 1u << 20;
constexpr uint32_t kPartialPrecision = 2u << 20;
constexpr uint32_t kCentroid = 4u << 20;

// Source modifiers (bits 24-27 of a source token).
enum SourceModifier : uint32_t {
    kNone = 0,
    kNegate = 1,
    kBias = 2,
    kBiasNegate = 3,
    kSign = 4,  // _bx2
    kSignNegate = 5,
    kComplement = 6,  // 1 - x
    kTimes2 = 7,
    kTimes2Negate = 8,
    kDivideZ = 9,
    kDivideW = 10,
    kAbs = 11,
    kAbsNegate = 12,
};

struct NamedValue {
    const char* name;
    uint32_t value;
};

// Declaration usages of dcl_<usage>[index].
constexpr NamedValue kUsages[] = {
    {"position", 0}, {"blendweight", 1}, {"blendindices", 2}, {"normal", 3}, {"psize", 4},
    {"texcoord", 5}, {"tangent", 6},     {"binormal", 7},     {"tessfactor", 8}, {"positiont", 9},
    {"color", 10},   {"fog", 11},        {"depth", 12},       {"sample", 13},
};

// Sampler texture types of dcl_<type> (bits 27-30 of the declaration token).
constexpr NamedValue kSamplerTypes[] = {{"2d", 2}, {"cube", 3}, {"volume", 4}};

// Comparisons of ifc, breakc and setp (bits 16-18 of the instruction token).
constexpr NamedValue kComparisons[] = {{"gt", 1}, {"eq", 2}, {"ge", 3}, {"lt", 4}, {"ne", 5}, {"le", 6}};

// Result shifts of the ps 1.x instruction modifiers.
constexpr NamedValue kShifts[] = {{"x2", 1}, {"x4", 2}, {"x8", 3}, {"d2", 0xF}, {"d4", 0xE}, {"d8", 0xD}};

const NamedValue* FindNamed(const NamedValue* table, size_t count, std::string_view name)
{
    for (size_t i = 0; i < count; ++i)
        if (name == table[i].name)
            return &table[i];
    return nullptr;
}

template <size_t N>
const NamedValue* FindNamed(const NamedValue (&table)[N], std::string_view name)
{
    return FindNamed(table, N, name);
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool ParseUnsigned(std::string_view text, uint32_t& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    uint32_t result = 0;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
        result = result * 10 + static_cast<uint32_t>(c - '0');
    }
    value = result;
    return true;
}

// Component letters: x y z w or r g b a, as 0-3; -1 for anything else.
int Component(char c)
{
    switch (c) {
    case 'x': case 'r': case 'X': case 'R': return 0;
    case 'y': case 'g': case 'Y': case 'G': return 1;
    case 'z': case 'b': case 'Z': case 'B': return 2;
    case 'w': case 'a': case 'W': case 'A': return 3;
    default: return -1;
    }
}

struct Register {
    uint32_t type = 0;
    uint32_t index = 0;
    bool relative = false;
    uint32_t relativeToken = 0;  // The address register's token (vs 2.0 and later).
};

// Thrown only inside this file: the line and reason of the first fault.
struct Fault {};

class Parser {
public:
    Parser(std::vector<uint32_t>& out, std::string& message) : m_program(out), m_message(message) {}

    void Run(std::string_view text);

private:
    [[noreturn]] void Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void ParseVersion(std::string_view line);
    void ParseInstruction(std::string_view line);
    void Declaration(std::string_view usage, const std::vector<std::string_view>& operands);
    void DefineFloat(const std::vector<std::string_view>& operands);
    void DefineInt(const std::vector<std::string_view>& operands);
    void DefineBool(const std::vector<std::string_view>& operands);
    Register ParseRegister(std::string_view text);
    uint32_t RegisterBits(uint32_t type, uint32_t index) const;
    uint32_t DestinationToken(std::string_view text, uint32_t modifiers, bool allowAnyRegister);
    uint32_t MaskOf(std::string_view text);
    void EmitSource(std::string_view text);
    uint32_t SwizzleOf(std::string_view text);
    std::string_view Shown(std::string_view text) const { return text.substr(0, 64); }

    // The program gathers declarations and constants ahead of the code, as the device's
    // assemblers lay them out: inputs, samplers, float, boolean and integer constants, then
    // every other instruction in the order written.
    enum Section { kInputs, kSamplers, kFloats, kBools, kInts, kCode, kSectionCount };
    std::vector<uint32_t>& m_program;
    std::vector<uint32_t> m_sections[kSectionCount];
    std::vector<uint32_t>* m_section = &m_sections[kCode];
    std::string& m_message;
    uint32_t m_line = 0;
    bool m_pixel = false;
    uint32_t m_major = 0;
    uint32_t m_minor = 0;
    ShaderInstructionSet::Model m_model = ShaderInstructionSet::kVs1;
};

void Parser::Fail(const char* format, ...)
{
    char reason[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(reason, sizeof reason, format, arguments);
    va_end(arguments);
    char line[300];
    snprintf(line, sizeof line, "line %u: %s", m_line, reason);
    m_message = line;
    throw Fault{};
}

void Parser::Run(std::string_view text)
{
    // Comments become spaces first (line breaks kept), so that line numbers stay true.
    std::string clean(text);
    for (size_t i = 0; i < clean.size(); ++i) {
        if (clean[i] == ';' || (clean[i] == '/' && i + 1 < clean.size() && clean[i + 1] == '/')) {
            while (i < clean.size() && clean[i] != '\n')
                clean[i++] = ' ';
        } else if (clean[i] == '/' && i + 1 < clean.size() && clean[i + 1] == '*') {
            const size_t close = clean.find("*/", i + 2);
            if (close == std::string::npos) {
                m_line = 1 + static_cast<uint32_t>(std::count(clean.begin(), clean.begin() + static_cast<std::ptrdiff_t>(i), '\n'));
                Fail("comment not closed");
            }
            for (size_t k = i; k < close + 2; ++k)
                if (clean[k] != '\n')
                    clean[k] = ' ';
            i = close + 1;
        } else if (clean[i] == '\0') {
            clean[i] = ' ';  // A text is read to its length; a stray NUL is no end.
        }
    }
    bool versionSeen = false;
    size_t start = 0;
    while (start <= clean.size()) {
        size_t end = clean.find('\n', start);
        if (end == std::string::npos)
            end = clean.size();
        ++m_line;
        const std::string_view line = Trim(std::string_view(clean).substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        if (!versionSeen) {
            ParseVersion(line);
            versionSeen = true;
        } else {
            ParseInstruction(line);
        }
    }
    if (!versionSeen) {
        m_line = m_line ? m_line : 1;
        Fail("no shader version (vs_1_1, vs_2_0, ps.1.1, ps_2_0, ...)");
    }
    for (const std::vector<uint32_t>& section : m_sections)
        m_program.insert(m_program.end(), section.begin(), section.end());
    m_program.push_back(kEndToken);
}

void Parser::ParseVersion(std::string_view line)
{
    const std::string version = Lower(line);
    // vs_1_1 or vs.1.1; the minor version may be "x" (2_x).
    if (version.size() != 6 || version[1] != 's' || (version[0] != 'v' && version[0] != 'p') ||
        (version[2] != '_' && version[2] != '.') || version[4] != version[2])
        Fail("\"%.*s\" is not a shader version", static_cast<int>(Shown(line).size()), Shown(line).data());
    m_pixel = version[0] == 'p';
    m_major = static_cast<uint32_t>(version[3] - '0');
    m_minor = version[5] == 'x' ? 1 : static_cast<uint32_t>(version[5] - '0');
    bool known;
    if (m_pixel) {
        known = (m_major == 1 && m_minor >= 1 && m_minor <= 4 && version[5] != 'x') ||
                (m_major == 2 && (version[5] == '0' || version[5] == 'x')) || (m_major == 3 && version[5] == '0');
        m_model = m_major >= 2 ? ShaderInstructionSet::kPs2
                               : (m_minor == 4 ? ShaderInstructionSet::kPs14 : ShaderInstructionSet::kPs1);
    } else {
        known = (m_major == 1 && version[5] == '1') || (m_major == 2 && (version[5] == '0' || version[5] == 'x')) ||
                (m_major == 3 && version[5] == '0');
        m_model = m_major >= 2 ? ShaderInstructionSet::kVs2 : ShaderInstructionSet::kVs1;
    }
    if (!known)
        Fail("shader version \"%.*s\" is not supported", static_cast<int>(line.size()), line.data());
    m_program.push_back((m_pixel ? 0xFFFF0000u : 0xFFFE0000u) | (m_major << 8) | m_minor);
}

void Parser::ParseInstruction(std::string_view line)
{
    bool coIssue = false;
    if (line.front() == '+') {
        if (m_model != ShaderInstructionSet::kPs1 && m_model != ShaderInstructionSet::kPs14)
            Fail("co-issue (+) exists only in ps 1.x");
        coIssue = true;
        line = Trim(line.substr(1));
    }
    size_t nameEnd = 0;
    while (nameEnd < line.size() && line[nameEnd] != ' ' && line[nameEnd] != '\t')
        ++nameEnd;
    const std::string word = Lower(line.substr(0, nameEnd));
    const std::string_view rest = Trim(line.substr(nameEnd));

    std::vector<std::string_view> operands;
    if (!rest.empty()) {
        size_t from = 0;
        for (;;) {
            const size_t comma = rest.find(',', from);
            const std::string_view operand = Trim(rest.substr(from, comma == std::string_view::npos ? rest.npos : comma - from));
            if (operand.empty())
                Fail("empty operand");
            operands.push_back(operand);
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
    }

    // The mnemonic, then "_"-separated modifiers (dcl takes its usage that way).
    const size_t underscore = word.find('_');
    std::string base = word.substr(0, underscore);
    const std::string_view suffix =
        underscore == std::string::npos ? std::string_view() : std::string_view(word).substr(underscore + 1);
    // if_gt, break_lt and the like are the comparing forms ifc and breakc.
    if ((base == "if" || base == "break") && FindNamed(kComparisons, suffix))
        base += 'c';
    const ShaderInstructionSet::Instruction* instruction = ShaderInstructionSet::Find(base, m_model);
    if (!instruction) {
        if (ShaderInstructionSet::IsKnown(base))
            Fail("instruction \"%s\" does not exist in this shader version", base.c_str());
        Fail("unknown instruction \"%.*s\"", static_cast<int>(Shown(word).size()), Shown(word).data());
    }

    // Comparing flow control, predicates and gradients came with the 2_x models.
    constexpr uint16_t kAfter20[] = {41, 44, 45, 91, 92, 93, 94, 95, 96};
    if (m_major == 2 && m_minor == 0 && std::find(std::begin(kAfter20), std::end(kAfter20), instruction->opcode) != std::end(kAfter20))
        Fail("instruction \"%s\" does not exist in this shader version", word.c_str());
    Section section = kCode;
    if (instruction->form == ShaderInstructionSet::kDeclaration)
        section = FindNamed(kSamplerTypes, suffix.substr(0, suffix.find('_'))) ? kSamplers : kInputs;
    else if (instruction->form == ShaderInstructionSet::kDefineFloat)
        section = kFloats;
    else if (instruction->form == ShaderInstructionSet::kDefineBool)
        section = kBools;
    else if (instruction->form == ShaderInstructionSet::kDefineInt)
        section = kInts;
    m_section = &m_sections[section];
    const size_t head = m_section->size();
    m_section->push_back(instruction->opcode | instruction->control | (coIssue ? kCoIssueBit : 0));
    switch (instruction->form) {
    case ShaderInstructionSet::kDeclaration:
        Declaration(suffix, operands);
        break;
    case ShaderInstructionSet::kDefineFloat:
    case ShaderInstructionSet::kDefineInt:
    case ShaderInstructionSet::kDefineBool:
        if (!suffix.empty())
            Fail("\"%s\" takes no modifiers", base.c_str());
        if (instruction->form == ShaderInstructionSet::kDefineFloat)
            DefineFloat(operands);
        else if (instruction->form == ShaderInstructionSet::kDefineInt)
            DefineInt(operands);
        else
            DefineBool(operands);
        break;
    case ShaderInstructionSet::kPlain: {
        uint32_t modifiers = 0;
        uint32_t shift = 0;
        std::string_view rest = suffix;
        while (!rest.empty()) {
            const size_t next = rest.find('_');
            const std::string_view modifier = rest.substr(0, next);
            rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
            if (modifier == "sat")
                modifiers |= kSaturate;
            else if (modifier == "pp" && m_major >= 2)
                modifiers |= kPartialPrecision;
            else if (modifier == "centroid" && m_major >= 2)
                modifiers |= kCentroid;
            else if (const NamedValue* scale = FindNamed(kShifts, modifier); scale && m_major == 1 && m_pixel)
                shift = scale->value;
            else if (const NamedValue* comparison = FindNamed(kComparisons, modifier);
                     comparison && (instruction->opcode == 41 || instruction->opcode == 45 || instruction->opcode == 94))
                (*m_section)[head] |= comparison->value << 16;
            else
                Fail("unknown instruction modifier \"_%.*s\" on \"%s\"", static_cast<int>(Shown(modifier).size()),
                     Shown(modifier).data(), base.c_str());
        }
        uint32_t sources = instruction->src;
        if (instruction->opcode == 37 && m_major >= 3)
            sources = 1;  // sincos lost its two constant operands in 3.0.
        if (operands.size() != instruction->dst + sources)
            Fail("\"%s\" takes %u operands, not %u", base.c_str(), instruction->dst + sources, static_cast<unsigned>(operands.size()));
        if ((modifiers || shift) && !instruction->dst)
            Fail("\"%s\" takes no instruction modifiers", base.c_str());
        if (instruction->dst)
            m_section->push_back(DestinationToken(operands[0], modifiers | shift << 24, instruction->opcode == 65));
        for (uint32_t i = instruction->dst; i < operands.size(); ++i)
            EmitSource(operands[i]);
        break;
    }
    }
    // From 2.0 on, the instruction token counts the tokens that follow it.
    if (m_major >= 2 && instruction->opcode != 0xFFFD)
        (*m_section)[head] |= static_cast<uint32_t>(m_section->size() - head - 1) << 24;
}

void Parser::Declaration(std::string_view suffix, const std::vector<std::string_view>& operands)
{
    if (operands.size() != 1)
        Fail("dcl takes one register, not %u", static_cast<unsigned>(operands.size()));
    // dcl[_usage][_centroid][_pp]: the result modifiers go to the register's token.
    std::string_view usage;
    uint32_t modifiers = 0;
    while (!suffix.empty()) {
        const size_t next = suffix.find('_');
        const std::string_view part = suffix.substr(0, next);
        suffix = next == std::string_view::npos ? std::string_view() : suffix.substr(next + 1);
        if (part == "centroid" && m_major >= 2)
            modifiers |= kCentroid;
        else if (part == "pp" && m_major >= 2)
            modifiers |= kPartialPrecision;
        else if (usage.empty() && !modifiers)
            usage = part;
        else
            Fail("unknown declaration modifier \"_%.*s\"", static_cast<int>(Shown(part).size()), Shown(part).data());
    }
    uint32_t declaration = kParameterBit;
    const Register target = ParseRegister(operands[0].substr(0, operands[0].find('.')));
    if (const NamedValue* sampler = FindNamed(kSamplerTypes, usage)) {
        if (!m_pixel || target.type != kSampler)
            Fail("dcl_%.*s declares a sampler (s#)", static_cast<int>(usage.size()), usage.data());
        declaration |= sampler->value << 27;
    } else if (!usage.empty()) {
        size_t digits = usage.size();
        while (digits > 0 && IsDigit(usage[digits - 1]))
            --digits;
        const NamedValue* named = FindNamed(kUsages, usage.substr(0, digits));
        uint32_t index = 0;
        if (!named || (digits < usage.size() && !ParseUnsigned(usage.substr(digits), index)) || index > 15)
            Fail("unknown declaration usage \"%.*s\"", static_cast<int>(Shown(usage).size()), Shown(usage).data());
        if (m_pixel && m_major < 3)
            Fail("pixel programs before 3.0 declare inputs with a plain dcl");
        if (target.type != kInput)
            Fail("dcl_%.*s declares an input register (v#)", static_cast<int>(usage.size()), usage.data());
        declaration |= named->value | index << 16;
    } else {
        if (!m_pixel)
            Fail("vertex inputs are declared with a usage (dcl_position, dcl_texcoord0, ...)");
        if (target.type != kInput && !(target.type == kTexture && m_major < 3))
            Fail("dcl declares an input (v#) or texture coordinate (t#) register");
    }
    m_section->push_back(declaration);
    m_section->push_back(DestinationToken(operands[0], modifiers, true));
}

// Numbers of def: decimal floats with an optional sign, fraction and exponent.
void Parser::DefineFloat(const std::vector<std::string_view>& operands)
{
    if (operands.size() != 5)
        Fail("def takes a constant register and four numbers");
    const Register target = ParseRegister(operands[0]);
    if (target.type != kConst)
        Fail("def defines a constant register (c#)");
    m_section->push_back(kParameterBit | RegisterBits(kConst, target.index) | kFullMask << 16);
    for (size_t i = 1; i < 5; ++i) {
        std::string_view number = operands[i];
        if (!number.empty() && number.front() == '+')
            number.remove_prefix(1);
        if (!number.empty() && (number.back() == 'f' || number.back() == 'F'))
            number.remove_suffix(1);
        float value = 0.0f;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (number.empty() || error != std::errc() || end != number.data() + number.size())
            Fail("\"%.*s\" is not a number", static_cast<int>(Shown(operands[i]).size()), Shown(operands[i]).data());
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        m_section->push_back(bits);
    }
}

void Parser::DefineInt(const std::vector<std::string_view>& operands)
{
    if (operands.size() != 5)
        Fail("defi takes an integer constant register and four integers");
    const Register target = ParseRegister(operands[0]);
    if (target.type != kConstInt)
        Fail("defi defines an integer constant register (i#)");
    m_section->push_back(kParameterBit | RegisterBits(kConstInt, target.index) | kFullMask << 16);
    for (size_t i = 1; i < 5; ++i) {
        int32_t value = 0;
        const auto [end, error] = std::from_chars(operands[i].data(), operands[i].data() + operands[i].size(), value);
        if (error != std::errc() || end != operands[i].data() + operands[i].size())
            Fail("\"%.*s\" is not an integer", static_cast<int>(Shown(operands[i]).size()), Shown(operands[i]).data());
        m_section->push_back(static_cast<uint32_t>(value));
    }
}

void Parser::DefineBool(const std::vector<std::string_view>& operands)
{
    if (operands.size() != 2)
        Fail("defb takes a boolean constant register and true or false");
    const Register target = ParseRegister(operands[0]);
    if (target.type != kConstBool)
        Fail("defb defines a boolean constant register (b#)");
    const std::string value = Lower(operands[1]);
    if (value != "true" && value != "false")
        Fail("\"%.*s\" is neither true nor false", static_cast<int>(Shown(operands[1]).size()), Shown(operands[1]).data());
    m_section->push_back(kParameterBit | RegisterBits(kConstBool, target.index) | kFullMask << 16);
    m_section->push_back(value == "true" ? 1u : 0u);
}

uint32_t Parser::RegisterBits(uint32_t type, uint32_t index) const
{
    return (type & 7u) << 28 | (type & 0x18u) << 8 | index;
}

// A register name: r5, c[a0.x + 3], c3[a0.x], oPos, oD0, oT7, oC0, oDepth, aL, ...
Register Parser::ParseRegister(std::string_view text)
{
    Register result;
    std::string_view offsetText;
    std::string_view addressText;
    const size_t bracket = text.find('[');
    std::string_view name = text;
    if (bracket != std::string_view::npos) {
        if (text.back() != ']')
            Fail("\"%.*s\": \"[\" without \"]\"", static_cast<int>(Shown(text).size()), Shown(text).data());
        name = Trim(text.substr(0, bracket));
        const std::string_view inside = text.substr(bracket + 1, text.size() - bracket - 2);
        const size_t plus = inside.find('+');
        const std::string_view first = Trim(inside.substr(0, plus));
        const std::string_view second = plus == std::string_view::npos ? std::string_view() : Trim(inside.substr(plus + 1));
        if (!first.empty() && IsDigit(first.front())) {
            offsetText = first;
            addressText = second;
        } else {
            addressText = first;
            offsetText = second;
        }
        if (addressText.empty() || (plus != std::string_view::npos && offsetText.empty()))
            Fail("\"%.*s\" is no relative address", static_cast<int>(Shown(text).size()), Shown(text).data());
    }
    const std::string lower = Lower(name);
    size_t digits = lower.size();
    while (digits > 0 && IsDigit(lower[digits - 1]))
        --digits;
    const std::string letters = lower.substr(0, digits);
    uint32_t index = 0;
    const bool numbered = digits < lower.size();
    if (numbered && !ParseUnsigned(std::string_view(lower).substr(digits), index))
        Fail("register number of \"%.*s\" out of range", static_cast<int>(Shown(text).size()), Shown(text).data());

    struct Name {
        const char* letters;
        uint32_t type;
        int fixedIndex;   // >= 0: the name carries no number and means this one.
        uint8_t where;    // 1 vertex, 2 pixel, 3 both.
    };
    static constexpr Name kNames[] = {
        {"r", kTemp, -1, 3},          {"v", kInput, -1, 3},         {"c", kConst, -1, 3},
        {"a", kAddress, -1, 1},       {"t", kTexture, -1, 2},       {"opos", kRasterOut, 0, 1},
        {"ofog", kRasterOut, 1, 1},   {"opts", kRasterOut, 2, 1},   {"od", kAttributeOut, -1, 1},
        {"ot", kTexCoordOut, -1, 1},  {"i", kConstInt, -1, 3},      {"oc", kColorOut, -1, 2},
        {"odepth", kDepthOut, 0, 2},  {"s", kSampler, -1, 2},       {"b", kConstBool, -1, 3},
        {"al", kLoop, 0, 3},          {"l", kLabel, -1, 3},         {"p", kPredicate, -1, 3},
    };
    const Name* found = nullptr;
    for (const Name& candidate : kNames)
        if (letters == candidate.letters)
            found = &candidate;
    if (!found || (found->fixedIndex >= 0 ? numbered : (!numbered && bracket == std::string_view::npos)))
        Fail("unknown register \"%.*s\"", static_cast<int>(Shown(text).size()), Shown(text).data());
    if (!(found->where & (m_pixel ? 2 : 1)))
        Fail("register \"%.*s\" does not exist in %s programs", static_cast<int>(Shown(text).size()), Shown(text).data(),
             m_pixel ? "pixel" : "vertex");
    result.type = found->type;
    result.index = found->fixedIndex >= 0 ? static_cast<uint32_t>(found->fixedIndex) : index;

    if (bracket != std::string_view::npos) {
        if (m_pixel || found->type != kConst)
            Fail("only constant registers of vertex programs take a relative address");
        uint32_t offset = 0;
        if (!offsetText.empty() && !ParseUnsigned(offsetText, offset))
            Fail("\"%.*s\" is no register offset", static_cast<int>(Shown(offsetText).size()), Shown(offsetText).data());
        result.index += offset;
        const std::string address = Lower(addressText);
        uint32_t component = 0;
        uint32_t addressType = kAddress;
        if (address == "al") {
            addressType = kLoop;
            component = 0xFF;  // aL has no components: its token keeps the identity swizzle.
        } else if (address.size() == 4 && address.compare(0, 3, "a0.") == 0 && Component(address[3]) >= 0) {
            component = static_cast<uint32_t>(Component(address[3]));
            if (m_major < 2 && component != 0)
                Fail("vs 1.1 addresses relative to a0.x only");
        } else if (address == "a0") {
            if (m_major >= 2)
                Fail("the address register needs its component (a0.x)");
        } else {
            Fail("\"%.*s\" is no address register", static_cast<int>(Shown(addressText).size()), Shown(addressText).data());
        }
        result.relative = true;
        const uint32_t replicated =
            component == 0xFF ? kIdentitySwizzle : component | component << 2 | component << 4 | component << 6;
        result.relativeToken = kParameterBit | RegisterBits(addressType, 0) | replicated << 16;
    }
    if (result.index > kMaxRegisterIndex)
        Fail("register number of \"%.*s\" out of range", static_cast<int>(Shown(text).size()), Shown(text).data());
    return result;
}

uint32_t Parser::MaskOf(std::string_view text)
{
    uint32_t mask = 0;
    int last = -1;
    for (char c : text) {
        const int component = Component(c);
        if (component < 0 || component <= last)
            Fail("\".%.*s\" is no write mask", static_cast<int>(Shown(text).size()), Shown(text).data());
        mask |= 1u << component;
        last = component;
    }
    if (!mask)
        Fail("empty write mask");
    return mask;
}

uint32_t Parser::DestinationToken(std::string_view text, uint32_t modifiers, bool allowAnyRegister)
{
    const size_t dot = text.find('.');
    const Register target = ParseRegister(Trim(text.substr(0, dot)));
    const uint32_t mask = dot == std::string_view::npos ? kFullMask : MaskOf(Trim(text.substr(dot + 1)));
    if (target.relative)
        Fail("a destination takes no relative address");
    if (!allowAnyRegister) {
        const bool writable = target.type == kTemp || target.type == kPredicate ||
                              (m_pixel ? (target.type == kColorOut || target.type == kDepthOut ||
                                          (target.type == kTexture && m_major == 1))
                                       : (target.type == kAddress || target.type == kRasterOut ||
                                          target.type == kAttributeOut || target.type == kTexCoordOut));
        if (!writable)
            Fail("register \"%.*s\" cannot be written", static_cast<int>(Shown(text).size()), Shown(text).data());
    }
    return kParameterBit | RegisterBits(target.type, target.index) | mask << 16 | modifiers;
}

uint32_t Parser::SwizzleOf(std::string_view text)
{
    if (text.empty() || text.size() > 4)
        Fail("\".%.*s\" is no swizzle", static_cast<int>(Shown(text).size()), Shown(text).data());
    uint32_t swizzle = 0;
    int component = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (i < text.size()) {
            component = Component(text[i]);
            if (component < 0)
                Fail("\".%.*s\" is no swizzle", static_cast<int>(Shown(text).size()), Shown(text).data());
        }
        // A short swizzle repeats its last component.
        swizzle |= static_cast<uint32_t>(component) << (2 * i);
    }
    return swizzle;
}

// A source: [-|1-]register[_modifier][.swizzle] (the modifier may also follow the swizzle).
void Parser::EmitSource(std::string_view text)
{
    bool negate = false;
    bool complement = false;
    if (text.front() == '-') {
        negate = true;
        text = Trim(text.substr(1));
    } else if (text.front() == '1' && Trim(text.substr(1)).starts_with('-')) {
        complement = true;
        text = Trim(Trim(text.substr(1)).substr(1));
    }
    if (text.empty())
        Fail("missing register");
    size_t end = text.find(']');
    if (end == std::string_view::npos && text.find('[') != std::string_view::npos)
        Fail("\"%.*s\": \"[\" without \"]\"", static_cast<int>(Shown(text).size()), Shown(text).data());
    if (end == std::string_view::npos) {
        end = text.find_first_of("._");
        if (end == std::string_view::npos)
            end = text.size();
    } else {
        ++end;
    }
    const Register source = ParseRegister(Trim(text.substr(0, end)));
    uint32_t swizzle = kIdentitySwizzle;
    std::string modifierName;
    bool swizzled = false;
    std::string_view rest = text.substr(end);
    while (!rest.empty()) {
        const char kind = rest.front();
        rest.remove_prefix(1);
        size_t next = rest.find_first_of("._");
        const std::string_view part = rest.substr(0, next);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
        if (kind == '.' && !swizzled) {
            swizzle = SwizzleOf(part);
            swizzled = true;
        } else if (kind == '_' && modifierName.empty() && !part.empty()) {
            modifierName = Lower(part);
        } else {
            Fail("\"%.*s\": unexpected \"%c\"", static_cast<int>(Shown(text).size()), Shown(text).data(), kind);
        }
    }
    uint32_t modifier = negate ? kNegate : kNone;
    if (complement) {
        if (!modifierName.empty())
            Fail("\"1 - \" takes no further source modifier");
        modifier = kComplement;
    } else if (!modifierName.empty()) {
        if (modifierName == "bias")
            modifier = negate ? kBiasNegate : kBias;
        else if (modifierName == "bx2")
            modifier = negate ? kSignNegate : kSign;
        else if (modifierName == "x2")
            modifier = negate ? kTimes2Negate : kTimes2;
        else if (modifierName == "abs" && m_major >= 3)
            modifier = negate ? kAbsNegate : kAbs;
        else if ((modifierName == "dz" || modifierName == "db") && !negate)
            modifier = kDivideZ;
        else if ((modifierName == "dw" || modifierName == "da") && !negate)
            modifier = kDivideW;
        else
            Fail("unknown source modifier \"_%s\"", modifierName.c_str());
    }
    m_section->push_back(kParameterBit | RegisterBits(source.type, source.index) | swizzle << 16 | modifier << 24 |
                    (source.relative ? kRelativeBit : 0));
    // From 2.0 on, the address register follows as a token of its own; 1.1 implies a0.x.
    if (source.relative && m_major >= 2)
        m_section->push_back(source.relativeToken);
}

}  // namespace

Result ShaderAssembler::Assemble(std::string_view text, std::vector<uint32_t>& tokens, std::string& message)
{
    try {
        std::vector<uint32_t> program;
        program.reserve(64 + text.size() / 4);
        std::string reason;
        Parser parser(program, reason);
        try {
            parser.Run(text);
        } catch (const Fault&) {
            message = reason;
            return kFailure;
        }
        tokens.swap(program);
        return kSuccess;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

}  // namespace zen
