// XML parsing with the parser's exceptions kept inside this file.
#include "XmlDocument.h"

#include <algorithm>

#include <Utf.h>

namespace {

// Upper bound of the element nesting, without parsing: every "<" that opens something counts
// one level down, every "</" and "/>" one up. Comments, declarations and CDATA may only make the
// count larger, never smaller than the real depth.
int nestingBound(const std::vector<char>& text)
{
    int depth = 0, deepest = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '<') {
            if (text[i + 1] == '/')
                --depth;
            else if (text[i + 1] != '?' && text[i + 1] != '!')
                deepest = std::max(deepest, ++depth);
        } else if (text[i] == '/' && text[i + 1] == '>') {
            --depth;
        }
        if (depth < 0)
            depth = 0;
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
    if (nestingBound(text_) > kMaxDepth) {
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
