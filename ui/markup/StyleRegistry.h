// The style registry: the style package and the fonts, styles and skin images made from it.
#pragma once

#include <StyleLookup.h>

#include <LoadedPackage.h>
#include <platform/Gdi.h>

#include <map>
#include <memory>
#include <set>
#include <string>

class SkinImage;
class Style;

// Everything here is UI-thread only. Names are compared exactly, letter case included. The
// registry owns every font, image and style it hands out; controls look them up at each paint.
class StyleRegistry : public StyleLookup {
public:
    StyleRegistry();
    ~StyleRegistry() override;
    StyleRegistry(const StyleRegistry&) = delete;
    StyleRegistry& operator=(const StyleRegistry&) = delete;

    // Clears the registry, then reads the named file of the current file system as the style
    // package and creates the fonts of its "font.xml". Whatever cannot be used is left out and
    // described in `error` (one line per problem), and the result is then false: a package that
    // cannot be read or opened leaves the registry empty; a missing or malformed "font.xml"
    // leaves the package loaded without fonts; a font element without `name`, with a `face`
    // longer than 31 characters or that GDI refuses is skipped while the others are created.
    bool loadPackage(const std::wstring& fileName, std::wstring* error = nullptr);

    // The font registered under the name, or null. Owned by the registry.
    HFONT font(const std::wstring& name) const override;
    // The shared style of that name, made from its document on first use; null when the package
    // has no such entry (nothing is cached, the next lookup reads again) or when the document is
    // malformed or incomplete (remembered, so it is parsed once).
    Style* style(const std::wstring& name) override;
    // The skin image of that name, decoded on first use and cached whether or not it decoded (an
    // undecodable image has no bitmap and draws nothing); null when the package has no such file,
    // which is not cached: the next lookup reads the package again.
    SkinImage* image(const std::wstring& name) override;
    // The drawing for a window at `scale`: the nearest of `name`, `name@1.5x` and `name@2x` at
    // or above the scale (see imageScale::pick); image(name) asks for the current scale.
    SkinImage* image(const std::wstring& name, double scale) override;
    // Releases the package, every image, style and font.
    void clear() override;

    std::map<std::wstring, platform::FontHandle> fonts;
    std::map<std::wstring, std::unique_ptr<SkinImage>> images;
    std::map<std::wstring, std::unique_ptr<Style>> styles;
    LoadedPackage stylePackage;   // empty until loaded

private:
    // Creates the fonts of a font document; false with the reason when it cannot be parsed.
    bool loadFonts(const uint8_t* data, size_t size, std::wstring* error);
    // A style from its document, or null with the reason.
    Style* makeStyle(const uint8_t* data, size_t size, std::wstring* error);

    std::set<std::wstring> unusableStyles_;   // present in the package but malformed or incomplete
};

// The toolkit's style registry; null before Toolkit::start and after Toolkit::shutdown.
StyleRegistry* styleRegistry();

// Loads the style package into the toolkit's registry (StyleRegistry::loadPackage). False, with
// the reason, also when there is no toolkit.
bool loadStylePackage(const std::wstring& fileName, std::wstring* error = nullptr);
