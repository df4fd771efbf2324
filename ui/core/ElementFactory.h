// The element factory: markup element names and style class names to the classes that make them.
#pragma once

#include "Creator.h"

#include <map>
#include <memory>
#include <string>

class Control;
class Style;

// Each layer registers its own classes when the toolkit starts (Toolkit::addPartsBuilder); the
// markup builder and the style registry only ask here, so they know no control or style class.
class ElementFactory {
public:
    // For elements whose first child node is the control's content rather than a child (a tab
    // item's page): receives the control and the content built from that node (null when there
    // is none) and owns the content from then on.
    using ContentRule = void (*)(Control* control, std::unique_ptr<Control> content);

    struct ControlEntry {
        std::unique_ptr<duiFactory::Creator> creator;
        ContentRule content = nullptr;
    };

    template <class T>
    void addControl(const std::wstring& name, ContentRule content = nullptr)
    {
        controlCreators[name] = ControlEntry{std::make_unique<duiFactory::Creator_<T>>(), content};
    }
    template <class T>
    void addStyle(const std::wstring& name)
    {
        styleCreators[name] = std::make_unique<duiFactory::Creator_<T>>();
    }

    // A new control of the element name (and its content rule, when asked), or null for a name
    // nobody registered or a creator that made something else.
    std::unique_ptr<Control> makeControl(const std::wstring& name, ContentRule* content = nullptr) const;
    // A new style of the class name, or null as above.
    std::unique_ptr<Style> makeStyle(const std::wstring& name) const;
    void clear();

    std::map<std::wstring, ControlEntry> controlCreators;
    std::map<std::wstring, std::unique_ptr<duiFactory::Creator>> styleCreators;
};
