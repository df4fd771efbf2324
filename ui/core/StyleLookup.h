// What the toolkit core needs from the style registry: styles by name, and release of everything.
#pragma once

#include <string>

class Style;

// The style registry implements this; the core knows no style package, image or font.
class StyleLookup {
public:
    virtual ~StyleLookup() = default;
    // The style of that name, or null; owned by the registry.
    virtual Style* style(const std::wstring& name) = 0;
    // Releases the package, images, styles and fonts.
    virtual void clear() = 0;
};
