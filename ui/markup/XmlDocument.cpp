// XML parsing with the parser's exceptions kept inside this file.
#include "XmlDocument.h"

#include <algorithm>
#include <cstring>

#include <platform/Utf.h>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The characters the parser takes into an element name and into an attribute name.
bool isNameChar(char c)
{
    return c && !isSpace(c) && c != '/' && c != '>' && c != '?';
}

bool isAttributeNameChar(char c)
{
    return isNameChar(c) && c != '<' && c != '=' && c != '!';
}

// Moves `p` past the next `terminator`; false when there is none.
bool skipPast(const char*& p, const char* terminator)
{
    const char* found = std::strstr(p, terminator);
    if (!found)
        return false;
    p = found + std::strlen(terminator);
    return true;
}

// A DOCTYPE ends at the first '>' outside square brackets.
bool skipDoctype(const char*& p)
{
    while (*p != '>') {
        if (!*p)
            return false;
        if (*p++ != '[')
            continue;
        for (int level = 1; level > 0; ++p) {
            if (!*p)
                return false;
            if (*p == '[')
                ++level;
            else if (*p == ']')
                --level;
        }
    }
    ++p;
    return true;
}

// The deepest element nesting the parser would reach, found without parsing. The walk reads the
// text the way the parser does: comments, CDATA, declarations, processing instructions, quoted
// attribute values and character data are stepped over as wholes, so a "</" or "/>" inside them
// cannot hide a level. Where the parser would give up with an error the walk stops too: the
// parser cannot get deeper than the elements opened before that point.
int nestingDepth(const char* p)
{
    int depth = 0, deepest = 0;
    while (*p) {
        if (*p++ != '<')
            continue;   // character data runs to the next '<'
        if (*p == '?') {
            if (!skipPast(++p, "?>"))
                break;
        } else if (*p == '!') {
            bool closed;
            if (std::strncmp(p, "!--", 3) == 0)
                closed = skipPast(p += 3, "-->");
            else if (std::strncmp(p, "![CDATA[", 8) == 0)
                closed = skipPast(p += 8, "]]>");
            else if (std::strncmp(p, "!DOCTYPE", 8) == 0 && isSpace(p[8]))
                closed = skipDoctype(p += 9);
            else
                closed = skipPast(++p, ">");
            if (!closed)
                break;
        } else if (*p == '/') {
            // a closing tag: name, optional whitespace, '>'
            for (++p; isNameChar(*p); ++p) {}
            while (isSpace(*p))
                ++p;
            if (*p != '>')
                break;
            ++p;
            depth = std::max(0, depth - 1);
        } else {
            // an element: name, attributes with quoted values, then "/>" or ">"
            while (isNameChar(*p))
                ++p;
            deepest = std::max(deepest, ++depth);
            while (isSpace(*p))
                ++p;
            while (isAttributeNameChar(*p)) {
                while (isAttributeNameChar(*p))
                    ++p;
                while (isSpace(*p))
                    ++p;
                if (*p != '=')
                    return deepest;
                ++p;
                while (isSpace(*p))
                    ++p;
                char quote = *p;
                if (quote != '"' && quote != '\'')
                    return deepest;
                p = std::strchr(p + 1, quote);
                if (!p)
                    return deepest;
                ++p;
                while (isSpace(*p))
                    ++p;
            }
            if (p[0] == '/' && p[1] == '>') {
                p += 2;
                --depth;
            } else if (*p == '>') {
                ++p;
            } else {
                break;
            }
        }
    }
    return deepest;
}

void position(const std::vector<char>& text, const char* where, int* line, int* column)
{
    *line = 1;
    *column = 1;
    const char* end = where && where >= text.data() && where <= text.data() + text.size() ? where : text.data();
    for (const char* p = text.data(); p < end; ++p) {
        if (*p == '\n') {
            ++*line;
            *column = 1;
        } else if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) {
            ++*column;   // count characters, not the continuation bytes of UTF-8
        }
    }
}

} // namespace

bool XmlDocument::parse(const void* data, size_t size, std::string* error)
{
    parsed_ = false;
    document_.clear();
    auto bytes = static_cast<const char*>(data);
    text_.assign(bytes, bytes + (data ? size : 0));
    text_.push_back('\0');
    if (nestingDepth(text_.data()) > kMaxDepth) {
        if (error)
            *error = "elements nested deeper than " + std::to_string(kMaxDepth) + " levels";
        return false;
    }
    try {
        document_.parse<rapidxml::parse_no_entity_translation>(text_.data());
    } catch (const rapidxml::parse_error& e) {
        int line, column;
        position(text_, e.where<char>(), &line, &column);
        if (error)
            *error = std::string(e.what()) + " at line " + std::to_string(line) + ", column " + std::to_string(column);
        document_.clear();
        return false;
    } catch (const std::exception& e) {   // the parser's memory pool can fail to allocate
        if (error)
            *error = e.what();
        document_.clear();
        return false;
    }
    parsed_ = true;
    return true;
}

std::u16string xmlText(const char* text, size_t size)
{
    return text && size ? utf8ToUtf16(std::string(text, size)) : std::u16string();
}
