#include "engine/text/TagParser.h"

#include <new>
#include <string_view>

namespace zen {
namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    // Parses the elements of `content` (a view into the text) into `out`. False: malformed.
    bool Sequence(std::string_view content, std::vector<TagElement>& out, uint32_t depth)
    {
        if (depth > TagParser::kMaxDepth)
            return false;
        size_t at = 0;
        for (;;) {
            const size_t open = content.find('<', at);
            if (open == std::string_view::npos)
                return true;
            const size_t close = content.find('>', open + 1);
            if (close == std::string_view::npos)
                return false;
            const std::string_view name = content.substr(open + 1, close - open - 1);
            const size_t body = close + 1;
            size_t end = 0, after = 0;
            if (!MatchClosing(content, name, body, end, after))
                return false;
            if (++m_elements > TagParser::kMaxElements)
                return false;
            out.emplace_back();
            TagElement& element = out.back();
            element.name.assign(name);
            const std::string_view inner = content.substr(body, end - body);
            const size_t firstTag = inner.find('<');
            if (firstTag == std::string_view::npos || inner.substr(firstTag, 2) == "<!") {
                element.value.assign(inner);
            } else {
                element.leaf = false;
                if (!Sequence(inner, element.children, depth + 1))
                    return false;
            }
            at = after;
        }
    }

private:
    // Finds the "</name>" that closes an element whose content starts at `from`, counting
    // nested "<name>" openings. `end`: where the closing tag starts; `after`: past it.
    static bool MatchClosing(std::string_view content, std::string_view name, size_t from, size_t& end,
                             size_t& after)
    {
        uint32_t open = 1;
        size_t at = from;
        for (;;) {
            const size_t tag = content.find('<', at);
            if (tag == std::string_view::npos)
                return false;
            const std::string_view rest = content.substr(tag + 1);
            if (rest.size() >= name.size() + 2 && rest[0] == '/' && rest.substr(1, name.size()) == name &&
                rest[name.size() + 1] == '>') {
                if (--open == 0) {
                    end = tag;
                    after = tag + name.size() + 3;
                    return true;
                }
            } else if (rest.size() >= name.size() + 1 && rest.substr(0, name.size()) == name &&
                       rest[name.size()] == '>') {
                ++open;
            }
            at = tag + 1;
        }
    }

    std::string_view m_text;
    uint32_t m_elements = 0;
};

}  // namespace

int TagParser::Parse(const char* text, uint32_t size, TagElement* root)
{
    if (!text || !root)
        return 3;
    try {
        std::vector<TagElement> top;
        Reader reader{std::string_view(text, size)};
        if (!reader.Sequence(std::string_view(text, size), top, 1))
            return 1;
        *root = top.empty() ? TagElement{} : std::move(top.front());
        return 0;
    } catch (const std::bad_alloc&) {
        return 2;
    }
}

}  // namespace zen
