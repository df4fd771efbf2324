// Parsing of window markup, style documents and font.xml: UTF-8 text into an element tree.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <rapidxml.hpp>

using XmlNode = rapidxml::xml_node<char>;
using XmlAttribute = rapidxml::xml_attribute<char>;

// The parser works on the UTF-8 bytes as they are: every byte of a multi-byte character is 0x80
// or above, so no character of any script can be mistaken for markup, which the parser's
// wide-character form cannot promise (it classifies characters by their low byte only).
// Character and entity references are kept as written. Names and values stay UTF-8 until they
// are applied.
class XmlDocument {
public:
    // Deepest element nesting accepted; deeper documents are refused before parsing, so that
    // neither the parser nor the tree builder can run out of stack.
    static constexpr int kMaxDepth = 512;

    // Parses a copy of `size` bytes. On failure returns false and sets `error` to the parser's
    // message with its position, for example "expected > at line 3, column 14".
    bool parse(const void* data, size_t size, std::string* error);

    // The first top-level node, or null.
    XmlNode* firstNode() const { return parsed_ ? document_.first_node() : nullptr; }

private:
    std::vector<char> text_;   // the parser keeps pointers into this buffer
    rapidxml::xml_document<char> document_;
    bool parsed_ = false;
};

// UTF-16 text of a node name or attribute value (invalid UTF-8 becomes U+FFFD).
std::u16string xmlText(const char* text, size_t size);
inline std::u16string xmlName(const XmlNode* node) { return xmlText(node->name(), node->name_size()); }
inline std::u16string xmlName(const XmlAttribute* a) { return xmlText(a->name(), a->name_size()); }
inline std::u16string xmlValue(const XmlAttribute* a) { return xmlText(a->value(), a->value_size()); }
