// The style registry: loading the style package and its fonts, and the style and image caches.
#include "StyleRegistry.h"

#include "Attributes.h"
#include "ValueFormats.h"
#include "XmlDocument.h"

#include <FileSystem.h>
#include <SkinImage.h>
#include <Style.h>
#include <Toolkit.h>
#include <Utf.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cwchar>

namespace {

constexpr wchar_t kFontDocument[] = L"font.xml";
constexpr size_t kMaxFaceLength = LF_FACESIZE - 1;   // the face-name field keeps a terminator

std::wstring wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring wideFromUtf8(const std::string& text)
{
    return wide(utf8ToUtf16(text));
}

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
    int64_t size = duiField::parseInt(std::u16string(value.begin(), value.end()));
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

    FileSystem* files = currentFileSystem();
    uint64_t size = 0;
    void* image = files ? files->readFile(fileName.c_str(), &size) : nullptr;
    if (!image) {
        note(error, L"the style package \"" + fileName + L"\" cannot be read");
        return false;
    }
    std::string reason;
    std::unique_ptr<Package> package = Package::open(image, size_t(size), &reason);
    if (!package) {
        files->freeData(image);
        note(error, L"the style package \"" + fileName + L"\" is damaged: " + wideFromUtf8(reason));
        return false;
    }
    stylePackage.image = image;
    stylePackage.package = std::move(package);

    uint64_t fontSize = 0;
    uint8_t* fontDocument = stylePackage.package->readEntry(kFontDocument, &fontSize);
    if (!fontDocument) {
        note(error, L"the style package \"" + fileName + L"\" has no \"font.xml\"");
        return false;
    }
    bool loaded = loadFonts(fontDocument, size_t(fontSize), error);
    Package::freeEntry(fontDocument);
    return loaded;
}

bool StyleRegistry::loadFonts(const uint8_t* data, size_t size, std::wstring* error)
{
    XmlDocument document;
    std::string parseError;
    if (!document.parse(data, size, &parseError)) {
        note(error, L"\"font.xml\": " + wideFromUtf8(parseError));
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
            const std::wstring key = wide(xmlName(attribute));
            const std::wstring value = wide(xmlValue(attribute));
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
        HFONT handle = CreateFontIndirectW(&font);
        if (!handle) {
            note(error, where + L" (\"" + name + L"\") could not be created");
            complete = false;
            continue;
        }
        // a later element of the same name replaces the earlier font
        auto existing = fonts.find(name);
        if (existing != fonts.end()) {
            DeleteObject(existing->second);
            existing->second = handle;
        } else {
            fonts.emplace(name, handle);
        }
    }
    return complete;
}

FontHandle StyleRegistry::font(const std::wstring& name) const
{
    auto found = fonts.find(name);
    return found != fonts.end() ? found->second : nullptr;
}

Style* StyleRegistry::style(const std::wstring& name)
{
    auto cached = styles.find(name);
    if (cached != styles.end())
        return cached->second.get();
    if (!stylePackage.package || unusableStyles_.count(name))
        return nullptr;

    uint64_t size = 0;
    uint8_t* document = stylePackage.package->readEntry(name.c_str(), &size);
    if (!document)
        return nullptr;   // not cached: the next lookup reads the package again
    std::wstring reason;
    Style* made = makeStyle(document, size_t(size), &reason);
    Package::freeEntry(document);
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
        *error = wideFromUtf8(parseError);
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

    Style* style = nullptr;
    Toolkit* toolkit = Toolkit::instance();
    if (toolkit) {
        auto creator = toolkit->elementFactory.styleCreators.find(wide(xmlValue(classAttribute)));
        if (creator != toolkit->elementFactory.styleCreators.end()) {
            Object* object = creator->second->create();
            style = dynamic_cast<Style*>(object);
            if (!style)
                delete object;
        }
    }
    if (!style)
        style = new Style();   // an unknown class paints with the plain recipe
    applyAttributes(style, properties);
    return style;
}

SkinImage* StyleRegistry::image(const std::wstring& name)
{
    auto cached = images.find(name);
    if (cached != images.end())
        return cached->second.get();
    if (!stylePackage.package)
        return nullptr;

    uint64_t size = 0;
    uint8_t* data = stylePackage.package->readEntry(name.c_str(), &size);
    if (!data)
        return nullptr;   // not cached: the next lookup reads the package again
    auto image = std::make_unique<SkinImage>();
    // one read and one decode per name for the registry's life, successful or not
    if (!image->load(data, size_t(size)))
        note(nullptr, L"the image \"" + name + L"\" cannot be decoded; it draws nothing");
    Package::freeEntry(data);
    return images.emplace(name, std::move(image)).first->second.get();
}

void StyleRegistry::clear()
{
    stylePackage.package.reset();   // it reads the image, so it goes first
    if (stylePackage.image) {
        if (FileSystem* files = currentFileSystem())
            files->freeData(stylePackage.image);
        stylePackage.image = nullptr;
    }
    images.clear();
    styles.clear();
    for (auto& entry : fonts)
        DeleteObject(entry.second);
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
