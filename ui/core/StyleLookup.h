// What the toolkit needs from the style registry: styles, skin images and fonts by name, and release of everything.
#pragma once

#include <string>

class SkinImage;
class Style;
struct HFONT__;

// The style registry implements this; the core knows no style package, image decoder or font file.
// Everything it hands out is owned by the registry and lives until clear.
class StyleLookup {
public:
    virtual ~StyleLookup() = default;
    // The style of that name, or null.
    virtual Style* style(const std::wstring& name) = 0;
    // The skin image of that name, or null when the style package has no such file.
    virtual SkinImage* image(const std::wstring& name) = 0;
    // The same image drawn for a window at that display scale.
    virtual SkinImage* image(const std::wstring& name, double scale) { return image(name); }
    // The font registered under that name, or null.
    virtual HFONT__* font(const std::wstring& name) const = 0;
    // Releases the package, images, styles and fonts.
    virtual void clear() = 0;
};
