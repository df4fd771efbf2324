// The element factory: making controls and styles by registered name.
#include "ElementFactory.h"

#include "Control.h"
#include "Style.h"

namespace {

// What a creator made, as T; anything else is deleted.
template <class T>
std::unique_ptr<T> madeAs(duiFactory::Creator& creator)
{
    std::unique_ptr<Object> made(creator.create());
    if (auto* typed = dynamic_cast<T*>(made.get())) {
        made.release();
        return std::unique_ptr<T>(typed);
    }
    return nullptr;
}

} // namespace

std::unique_ptr<Control> ElementFactory::makeControl(const std::wstring& name, ContentRule* content) const
{
    auto entry = controlCreators.find(name);
    if (entry == controlCreators.end() || !entry->second.creator)
        return nullptr;
    if (content)
        *content = entry->second.content;
    return madeAs<Control>(*entry->second.creator);
}

std::unique_ptr<Style> ElementFactory::makeStyle(const std::wstring& name) const
{
    auto entry = styleCreators.find(name);
    if (entry == styleCreators.end() || !entry->second)
        return nullptr;
    return madeAs<Style>(*entry->second);
}

void ElementFactory::clear()
{
    controlCreators.clear();
    styleCreators.clear();
}
