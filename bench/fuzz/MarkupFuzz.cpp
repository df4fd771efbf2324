// libFuzzer target: any bytes parsed as markup, and every attribute value read in every format.
#include <ValueFormats.h>
#include <XmlDocument.h>

#include <cstdint>

namespace {

void walk(const XmlNode* node, int depth)
{
    for (; node; node = node->next_sibling()) {
        std::u16string name = xmlName(node);
        for (const XmlAttribute* a = node->first_attribute(); a; a = a->next_attribute()) {
            std::u16string value = xmlValue(a);
            int32_t fields[4];
            duiField::parseInt(value);
            duiField::parseInts(value, fields, 4);
            duiField::parseInts(value, fields, 2);
            duiField::parseColor(value);
        }
        walk(node->first_node(), depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    XmlDocument document;
    std::string error;
    if (document.parse(data, size, &error))
        walk(document.firstNode(), 0);
    return 0;
}
