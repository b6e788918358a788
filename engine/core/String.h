#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace zen {

// The engine's string value: an owned byte buffer and its length, always followed by a zero
// byte the length does not count. Bytes are taken as they are (code page 1251 for the program's
// own texts); nothing here interprets or converts them. Equality is byte-wise, case-sensitive.
class String {
public:
    String() = default;
    String(const char* text);                      // Copies up to the zero byte; null is empty.
    String(const char* text, uint32_t length);     // Copies exactly `length` bytes.
    String(std::string_view text);

    // Access
    uint32_t Length() const { return static_cast<uint32_t>(m_bytes.size()); }
    bool IsEmpty() const { return m_bytes.empty(); }
    const char* CStr() const { return m_bytes.c_str(); }
    char operator[](uint32_t index) const { return m_bytes[index]; }
    std::string_view View() const { return m_bytes; }
    const std::string& Std() const { return m_bytes; }

    // Search; kNotFound when absent.
    static constexpr uint32_t kNotFound = 0xFFFFFFFFu;
    uint32_t Find(std::string_view what, uint32_t from = 0) const;
    uint32_t FindLast(char what) const;
    String Substring(uint32_t start, uint32_t count = kNotFound) const;

    // Building
    String& operator+=(const String& other);
    String& operator+=(std::string_view other);
    friend String operator+(const String& a, const String& b);

    friend bool operator==(const String& a, const String& b) { return a.m_bytes == b.m_bytes; }
    friend bool operator==(const String& a, const char* b) { return a.m_bytes == (b ? b : ""); }

private:
    std::string m_bytes;
};

}  // namespace zen
