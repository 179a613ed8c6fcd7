#include "PropertyList.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace brisvane {
namespace {

class Parser {
public:
    explicit Parser(std::string_view text)
        : m_text(text)
    {}

    PlistValue document()
    {
        skipMisc();
        Tag tag = openTag();
        PlistValue value;
        if (tag.name == "plist") {
            if (tag.selfClosing)
                fail("an empty plist");
            skipMisc();
            value = parseValue(openTag(), 0);
            skipMisc();
            closeTag("plist");
        } else {
            value = parseValue(tag, 0);
        }
        skipMisc();
        if (m_pos != m_text.size())
            fail("text after the document");
        return value;
    }

private:
    struct Tag {
        std::string name;
        bool selfClosing = false;
    };

    [[noreturn]] void fail(const std::string& what) const
    {
        throw PropertyList::Error("property list: " + what + " at offset " + std::to_string(m_pos));
    }

    bool startsWith(std::string_view s) const { return m_text.substr(m_pos, s.size()) == s; }

    void skipPast(std::string_view end)
    {
        const auto at = m_text.find(end, m_pos);
        if (at == std::string_view::npos)
            fail("unterminated markup");
        m_pos = at + end.size();
    }

    void skipSpace()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    // White space, the XML declaration, processing instructions, DOCTYPE and comments.
    void skipMisc()
    {
        for (;;) {
            skipSpace();
            if (startsWith("<?"))
                skipPast("?>");
            else if (startsWith("<!--"))
                skipPast("-->");
            else if (startsWith("<!DOCTYPE"))
                skipPast(">");
            else
                return;
        }
    }

    Tag openTag()
    {
        if (!startsWith("<") || startsWith("</"))
            fail("expected an element");
        ++m_pos;
        Tag tag;
        while (m_pos < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[m_pos]))))
            tag.name.push_back(m_text[m_pos++]);
        if (tag.name.empty())
            fail("an element without a name");
        // Attributes (plist version="1.0") carry nothing a job needs; they are skipped whole.
        for (;;) {
            skipSpace();
            if (m_pos >= m_text.size())
                fail("unterminated tag");
            const char c = m_text[m_pos];
            if (c == '>') {
                ++m_pos;
                return tag;
            }
            if (c == '/') {
                if (!startsWith("/>"))
                    fail("stray '/' in a tag");
                m_pos += 2;
                tag.selfClosing = true;
                return tag;
            }
            if (c == '"' || c == '\'') {
                const auto end = m_text.find(c, m_pos + 1);
                if (end == std::string_view::npos)
                    fail("unterminated attribute");
                m_pos = end + 1;
            } else if (c == '<') {
                fail("'<' inside a tag");
            } else {
                ++m_pos;
            }
        }
    }

    void closeTag(const std::string& name)
    {
        skipMisc();
        const std::string expected = "</" + name;
        if (!startsWith(expected))
            fail("expected </" + name + ">");
        m_pos += expected.size();
        skipSpace();
        if (!startsWith(">"))
            fail("expected '>'");
        ++m_pos;
    }

    static void appendUtf8(std::string& out, std::uint32_t cp)
    {
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | cp >> 6));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | cp >> 12));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | cp >> 18));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    // Character data up to the next tag, with entities and CDATA sections undone.
    std::string text()
    {
        std::string out;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (startsWith("<![CDATA[")) {
                m_pos += 9;
                const auto end = m_text.find("]]>", m_pos);
                if (end == std::string_view::npos)
                    fail("unterminated CDATA");
                out.append(m_text.substr(m_pos, end - m_pos));
                m_pos = end + 3;
            } else if (startsWith("<!--")) {
                skipPast("-->");
            } else if (c == '<') {
                break;
            } else if (c == '&') {
                const auto end = m_text.find(';', m_pos);
                if (end == std::string_view::npos || end - m_pos > 12)
                    fail("unterminated entity");
                const std::string_view name = m_text.substr(m_pos + 1, end - m_pos - 1);
                if (name == "lt")
                    out.push_back('<');
                else if (name == "gt")
                    out.push_back('>');
                else if (name == "amp")
                    out.push_back('&');
                else if (name == "quot")
                    out.push_back('"');
                else if (name == "apos")
                    out.push_back('\'');
                else if (name.size() > 1 && name[0] == '#') {
                    const bool hex = name[1] == 'x' || name[1] == 'X';
                    const std::string_view digits = name.substr(hex ? 2 : 1);
                    std::uint32_t cp = 0;
                    const auto [p, ec] = std::from_chars(
                        digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
                    if (digits.empty() || ec != std::errc() || p != digits.data() + digits.size() ||
                        cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                        fail("bad character reference");
                    appendUtf8(out, cp);
                } else {
                    fail("unknown entity");
                }
                m_pos = end + 1;
            } else {
                out.push_back(c);
                ++m_pos;
            }
        }
        return out;
    }

    std::string leafText(const Tag& tag)
    {
        if (tag.selfClosing)
            return {};
        std::string value = text();
        closeTag(tag.name);
        return value;
    }

    static std::string trimmed(const std::string& s)
    {
        const auto first = s.find_first_not_of(" \t\r\n");
        if (first == std::string::npos)
            return {};
        return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
    }

    PlistValue parseValue(const Tag& tag, int depth)
    {
        if (depth >= PropertyList::kMaxDepth)
            fail("nesting too deep");
        PlistValue value;
        const std::string& name = tag.name;
        if (name == "string") {
            value.kind = PlistValue::Kind::string;
            value.text = leafText(tag);
        } else if (name == "integer") {
            value.kind = PlistValue::Kind::integer;
            const std::string digits = trimmed(leafText(tag));
            const char* begin = digits.data() + (digits.starts_with('+') ? 1 : 0);
            const auto [p, ec] =
                std::from_chars(begin, digits.data() + digits.size(), value.integer);
            if (digits.empty() || ec != std::errc() || p != digits.data() + digits.size())
                fail("not an integer: \"" + digits + "\"");
        } else if (name == "real") {
            value.kind = PlistValue::Kind::real;
            const std::string digits = trimmed(leafText(tag));
            const auto [p, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value.real);
            if (digits.empty() || ec != std::errc() || p != digits.data() + digits.size())
                fail("not a real: \"" + digits + "\"");
        } else if (name == "true" || name == "false") {
            value.kind = PlistValue::Kind::boolean;
            value.boolean = name == "true";
            if (!trimmed(leafText(tag)).empty())
                fail("<" + name + "> holds nothing");
        } else if (name == "data" || name == "date") {
            value.kind = name == "data" ? PlistValue::Kind::data : PlistValue::Kind::date;
            value.text = trimmed(leafText(tag));
        } else if (name == "array") {
            value.kind = PlistValue::Kind::array;
            if (!tag.selfClosing) {
                for (;;) {
                    skipMisc();
                    if (startsWith("</"))
                        break;
                    value.items.push_back(parseValue(openTag(), depth + 1));
                }
                closeTag("array");
            }
        } else if (name == "dict") {
            value.kind = PlistValue::Kind::dict;
            if (!tag.selfClosing) {
                for (;;) {
                    skipMisc();
                    if (startsWith("</"))
                        break;
                    const Tag keyTag = openTag();
                    if (keyTag.name != "key")
                        fail("a dict entry must start with <key>");
                    std::string key = leafText(keyTag);
                    skipMisc();
                    if (startsWith("</"))
                        fail("a <key> without a value");
                    value.entries.push_back({std::move(key), parseValue(openTag(), depth + 1)});
                }
                closeTag("dict");
            }
        } else {
            fail("unknown element <" + name + ">");
        }
        return value;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

const PlistValue* PlistValue::find(std::string_view key) const
{
    const PlistValue* found = nullptr;
    for (const PlistEntry& entry : entries)
        if (entry.key == key)
            found = &entry.value;
    return found;
}

PlistValue PropertyList::parse(std::string_view document)
{
    return Parser(document).document();
}

PlistValue PropertyList::parseFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Error("cannot read " + path);
    std::stringstream content;
    content << in.rdbuf();
    return parse(content.str());
}

} // namespace brisvane
