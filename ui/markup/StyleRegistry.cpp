// The style registry: loading the style package and its fonts, and the style and image caches.
#include "StyleRegistry.h"

#include "Attributes.h"
#include "ValueFormats.h"
#include "XmlDocument.h"

#include <FileSystem.h>
#include <DisplayScale.h>
#include <ImageScale.h>
#include <SkinImage.h>
#include <Style.h>
#include <Toolkit.h>
#include <platform/StartupTrace.h>
#include <platform/Utf.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <climits>
#include <cwchar>

namespace {

constexpr wchar_t kFontDocument[] = L"font.xml";
constexpr size_t kMaxFaceLength = LF_FACESIZE - 1;   // the face-name field keeps a terminator

void note(std::wstring* error, const std::wstring& line)
{
    OutputDebugStringW((L"StyleRegistry: " + line + L"\n").c_str());
    if (!error)
        return;
    if (!error->empty())
        error->push_back(L'\n');
    error->append(line);
}

// The stock GUI font supplies every parameter a font element does not set.
LOGFONTW stockFont()
{
    LOGFONTW font{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

// The font height for a `size` value: minus the number, read as wtol reads it.
LONG heightOfSize(const std::wstring& value)
{
    int64_t size = duiField::parseInt(toUtf16(value));
    int64_t height = -size;
    return LONG(height > INT_MAX ? INT_MAX : height);
}

} // namespace

StyleRegistry::StyleRegistry() = default;

StyleRegistry::~StyleRegistry()
{
    clear();
}

bool StyleRegistry::loadPackage(const std::wstring& fileName, std::wstring* error)
{
    clear();
    if (error)
        error->clear();

    std::string reason;
    switch (stylePackage.load(currentFileSystem(), fileName, &reason)) {
    case LoadedPackage::Status::loaded:
        break;
    case LoadedPackage::Status::unreadable:
        note(error, L"the style package \"" + fileName + L"\" cannot be read");
        return false;
    case LoadedPackage::Status::damaged:
        note(error, L"the style package \"" + fileName + L"\" is damaged: " + utf8ToWide(reason));
        return false;
    }

    // The package is one solid block: decoded once, on the first read, for every file in it.
    stylePackage.decodeAhead(0);
    uint64_t fontSize = 0;
    EntryBuffer fontDocument(stylePackage.readEntry(kFontDocument, &fontSize));
    if (!fontDocument) {
        note(error, L"the style package \"" + fileName + L"\" has no \"font.xml\"");
        return false;
    }
    return loadFonts(fontDocument.get(), size_t(fontSize), error);
}

bool StyleRegistry::loadFonts(const uint8_t* data, size_t size, std::wstring* error)
{
    XmlDocument document;
    std::string parseError;
    if (!document.parse(data, size, &parseError)) {
        note(error, L"\"font.xml\": " + utf8ToWide(parseError));
        return false;
    }
    const XmlNode* root = document.firstNode();
    if (!root) {
        note(error, L"\"font.xml\" has no root element");
        return false;
    }

    bool complete = true;
    int position = 0;
    for (const XmlNode* element = root->first_node(); element; element = element->next_sibling()) {
        if (element->type() != rapidxml::node_element)
            continue;
        ++position;
        const std::wstring where = L"\"font.xml\", font element " + std::to_wstring(position);

        // the element's attributes in document order over the stock font's parameters
        LOGFONTW font = stockFont();
        std::wstring name;
        bool usable = true;
        for (const XmlAttribute* attribute = element->first_attribute(); attribute;
             attribute = attribute->next_attribute()) {
            const std::wstring key = toWide(xmlName(attribute));
            const std::wstring value = toWide(xmlValue(attribute));
            if (key == L"name") {
                name = value;
            } else if (key == L"face") {
                if (value.size() > kMaxFaceLength) {
                    note(error, where + L": the face \"" + value + L"\" is longer than 31 characters");
                    usable = false;
                } else {
                    std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), L'\0');
                    std::wmemcpy(font.lfFaceName, value.data(), value.size());
                }
            } else if (key == L"size") {
                font.lfHeight = heightOfSize(value);
            } else if (key == L"bold") {
                font.lfWeight = value == L"true" ? FW_BOLD : FW_NORMAL;
            } else if (key == L"underline") {
                font.lfUnderline = value == L"true" ? TRUE : FALSE;
            }
        }
        if (name.empty()) {
            note(error, where + L" has no name");
            usable = false;
        }
        if (!usable) {
            complete = false;
            continue;
        }
        platform::FontHandle handle(CreateFontIndirectW(&font));
        if (!handle) {
            note(error, where + L" (\"" + name + L"\") could not be created");
            complete = false;
            continue;
        }
        // a later element of the same name replaces the earlier font
        fonts[name] = std::move(handle);
    }
    return complete;
}

HFONT StyleRegistry::font(const std::wstring& name) const
{
    auto found = fonts.find(name);
    return found != fonts.end() ? found->second.get() : nullptr;
}

Style* StyleRegistry::style(const std::wstring& name)
{
    auto cached = styles.find(name);
    if (cached != styles.end())
        return cached->second.get();
    if (!stylePackage || unusableStyles_.count(name))
        return nullptr;

    uint64_t size = 0;
    EntryBuffer document(stylePackage.readEntry(name.c_str(), &size));
    if (!document)
        return nullptr;   // not cached: the next lookup reads the package again
    std::wstring reason;
    Style* made = makeStyle(document.get(), size_t(size), &reason);
    if (!made) {
        note(nullptr, L"the style \"" + name + L"\" is left out: " + reason);
        unusableStyles_.insert(name);
        return nullptr;
    }
    styles.emplace(name, std::unique_ptr<Style>(made));
    return made;
}

Style* StyleRegistry::makeStyle(const uint8_t* data, size_t size, std::wstring* error)
{
    XmlDocument document;
    std::string parseError;
    if (!document.parse(data, size, &parseError)) {
        *error = utf8ToWide(parseError);
        return nullptr;
    }
    // the root is a wrapper; its first child names the class, that one's first child holds the
    // properties, and nothing else is read
    const XmlNode* root = document.firstNode();
    const XmlNode* classNode = root ? root->first_node() : nullptr;
    const XmlAttribute* classAttribute = classNode ? classNode->first_attribute() : nullptr;
    const XmlNode* properties = classNode ? classNode->first_node() : nullptr;
    if (!classAttribute || !properties) {
        *error = !classNode ? L"no class element" : !classAttribute ? L"no class name" : L"no properties element";
        return nullptr;
    }

    std::unique_ptr<Style> style;
    if (Toolkit* toolkit = Toolkit::instance())
        style = toolkit->elementFactory.makeStyle(toWide(xmlValue(classAttribute)));
    if (!style)
        style = std::make_unique<Style>();   // an unknown class paints with the plain recipe
    applyAttributes(style.get(), properties);
    return style.release();
}

SkinImage* StyleRegistry::image(const std::wstring& name)
{
    return image(name, displayScale::current());
}

SkinImage* StyleRegistry::image(const std::wstring& name, double scale)
{
    // one entry per name and scale: a window that moves to another monitor picks again
    const std::wstring key = name + L"|" + std::to_wstring(std::lround(scale * 100));
    auto cached = images.find(key);
    if (cached != images.end())
        return cached->second.get();
    if (!stylePackage)
        return nullptr;

    // the drawings the package has of this image, at 1x, 1.5x and 2x
    EntryBuffer drawings[imageScale::kDensityCount];
    uint64_t sizes[imageScale::kDensityCount] = {};
    bool available[imageScale::kDensityCount] = {};
    for (int i = 0; i < imageScale::kDensityCount; ++i) {
        // the denser drawings are only looked for when the window is scaled
        if (i > 0 && scale == 1.0 && drawings[0])
            break;
        drawings[i].reset(stylePackage.readEntry(imageScale::variantName(name, i).c_str(), &sizes[i]));
        available[i] = bool(drawings[i]);
    }
    const int chosen = imageScale::pick(scale, available);
    if (chosen < 0)
        return nullptr;   // not cached: the next lookup reads the package again
    auto image = std::make_unique<SkinImage>();
    platform::StartupPhase traced(L"skin image", imageScale::variantName(name, chosen));
    // one read and one decode per name and scale for the registry's life, successful or not
    if (!image->load(drawings[chosen].get(), size_t(sizes[chosen]), imageScale::kDensities[chosen], scale))
        note(nullptr, L"the image \"" + imageScale::variantName(name, chosen) + L"\" cannot be decoded; it draws nothing");
    return images.emplace(key, std::move(image)).first->second.get();
}

void StyleRegistry::clear()
{
    stylePackage.reset();
    images.clear();
    styles.clear();
    fonts.clear();
    unusableStyles_.clear();
}

StyleRegistry* styleRegistry()
{
    Toolkit* toolkit = Toolkit::instance();
    return toolkit ? dynamic_cast<StyleRegistry*>(toolkit->styleRegistry.get()) : nullptr;
}

bool loadStylePackage(const std::wstring& fileName, std::wstring* error)
{
    StyleRegistry* registry = styleRegistry();
    if (!registry) {
        if (error)
            *error = L"the style package \"" + fileName + L"\" cannot be loaded before the toolkit is started";
        return false;
    }
    return registry->loadPackage(fileName, error);
}
