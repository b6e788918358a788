#include "engine/core/String.h"

namespace zen {

String::String(const char* text) : m_bytes(text ? text : "") {}

String::String(const char* text, uint32_t length) : m_bytes(text ? std::string(text, length) : std::string()) {}

String::String(std::string_view text) : m_bytes(text) {}

uint32_t String::Find(std::string_view what, uint32_t from) const
{
    const size_t at = m_bytes.find(what, from);
    return at == std::string::npos ? kNotFound : static_cast<uint32_t>(at);
}

uint32_t String::FindLast(char what) const
{
    const size_t at = m_bytes.rfind(what);
    return at == std::string::npos ? kNotFound : static_cast<uint32_t>(at);
}

String String::Substring(uint32_t start, uint32_t count) const
{
    if (start >= m_bytes.size())
        return String();
    return String(std::string_view(m_bytes).substr(start, count == kNotFound ? std::string::npos : count));
}

String& String::operator+=(const String& other)
{
    m_bytes += other.m_bytes;
    return *this;
}

String& String::operator+=(std::string_view other)
{
    m_bytes += other;
    return *this;
}

String operator+(const String& a, const String& b)
{
    String result(a);
    result += b;
    return result;
}

}  // namespace zen
