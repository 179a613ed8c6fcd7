#include "AppleScriptSource.h"

#include <cctype>

namespace brisvane {
namespace {

constexpr const char* kSupported =
    "the virtual Mac's osascript runs only: do shell script \"…\" with administrator privileges";

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Scanner {
public:
    explicit Scanner(std::string_view text)
        : m_text(text)
    {}

    void skipSpace()
    {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos]))
            ++m_pos;
    }

    // One keyword, case-insensitively as AppleScript reads them, ending at a word boundary.
    bool word(std::string_view expected)
    {
        skipSpace();
        if (m_text.size() - m_pos < expected.size())
            return false;
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(m_text[m_pos + i])) != expected[i])
                return false;
        const std::size_t end = m_pos + expected.size();
        if (end < m_text.size() && std::isalnum(static_cast<unsigned char>(m_text[end])))
            return false;
        m_pos = end;
        return true;
    }

    bool words(std::initializer_list<std::string_view> expected)
    {
        for (auto w : expected)
            if (!word(w))
                return false;
        return true;
    }

    // A string literal's body, still escaped; fails on an unterminated literal.
    std::string_view literal()
    {
        skipSpace();
        if (m_pos >= m_text.size() || m_text[m_pos] != '"')
            throw AppleScriptSource::Error(std::string("syntax error: ") + kSupported + " (-2741)");
        const std::size_t start = ++m_pos;
        while (m_pos < m_text.size()) {
            if (m_text[m_pos] == '\\') {
                m_pos += 2;
                continue;
            }
            if (m_text[m_pos] == '"')
                return m_text.substr(start, m_pos++ - start);
            ++m_pos;
        }
        throw AppleScriptSource::Error(
            "syntax error: Expected \"\"\" but found end of script. (-2741)");
    }

    bool atEnd()
    {
        skipSpace();
        return m_pos == m_text.size();
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

std::string AppleScriptSource::adminShellScript(std::string_view source)
{
    Scanner scanner(source);
    if (!scanner.words({"do", "shell", "script"}))
        throw Error(std::string("syntax error: ") + kSupported + " (-2741)");
    const std::string script = unescape(scanner.literal());
    if (!scanner.words({"with", "administrator", "privileges"}) || !scanner.atEnd())
        throw Error(std::string("syntax error: ") + kSupported + " (-2741)");
    return script;
}

std::string AppleScriptSource::unescape(std::string_view body)
{
    std::string text;
    text.reserve(body.size());
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"')
            throw Error("syntax error: an unescaped \" inside a string (-2741)");
        if (c != '\\') {
            text.push_back(c);
            continue;
        }
        if (i + 1 >= body.size())
            throw Error("syntax error: a string ends in a lone backslash (-2741)");
        const char next = body[++i];
        if (next != '"' && next != '\\')
            throw Error(std::string("syntax error: unknown escape \\") + next +
                        " in a string; only \\\" and \\\\ are escapes here (-2741)");
        text.push_back(next);
    }
    return text;
}

std::string AppleScriptSource::escape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

} // namespace brisvane
