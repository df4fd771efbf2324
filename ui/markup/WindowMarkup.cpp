// Loading the frame package and building control trees from window markup.
#include "WindowMarkup.h"

#include "Attributes.h"

#include <FileSystem.h>
#include <Panel.h>
#include <Toolkit.h>
#include <platform/Utf.h>

namespace {

MarkupFramePackage* markupFramePackage()
{
    Toolkit* toolkit = Toolkit::instance();
    return toolkit ? dynamic_cast<MarkupFramePackage*>(toolkit->framePackage.get()) : nullptr;
}

bool fail(std::wstring* error, const std::wstring& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

const Package* loadedFramePackage()
{
    MarkupFramePackage* frame = markupFramePackage();
    return frame ? frame->package.get() : nullptr;
}

bool loadFramePackage(const std::wstring& fileName, std::wstring* error)
{
    MarkupFramePackage* frame = markupFramePackage();
    if (!frame)
        return fail(error, L"the frame package \"" + fileName + L"\" cannot be loaded before the toolkit is started");
    std::string reason;
    switch (frame->package.load(currentFileSystem(), fileName, &reason)) {
    case LoadedPackage::Status::loaded:
        return true;
    case LoadedPackage::Status::unreadable:
        return fail(error, L"the frame package \"" + fileName + L"\" cannot be read");
    case LoadedPackage::Status::damaged:
        return fail(error, L"the frame package \"" + fileName + L"\" is damaged: " + utf8ToWide(reason));
    }
    return false;
}

std::unique_ptr<Control> buildWindowTree(const std::wstring& name, std::wstring* error)
{
    const std::wstring what = L"window markup \"" + name + L"\"";
    const Package* package = loadedFramePackage();
    if (!package) {
        fail(error, what + L": no frame package is loaded");
        return nullptr;
    }

    // read and parse; the document keeps its own copy, so the entry goes back at once
    uint64_t size = 0;
    EntryBuffer entry(package->readEntry(name.c_str(), &size));
    if (!entry) {
        fail(error, what + L" is not in the frame package");
        return nullptr;
    }
    XmlDocument document;
    std::string parseError;
    bool parsed = document.parse(entry.get(), size_t(size), &parseError);
    entry.reset();
    if (!parsed) {
        fail(error, what + L": " + utf8ToWide(parseError));
        return nullptr;
    }

    const XmlNode* root = document.firstNode();
    if (!root) {
        fail(error, what + L" has no root element");
        return nullptr;
    }
    std::unique_ptr<Control> tree = buildElement(root);
    if (!tree)
        fail(error, what + L": the root element \"" + toWide(xmlName(root)) + L"\" is not a control");
    return tree;
}

std::unique_ptr<Control> buildElement(const XmlNode* element)
{
    Toolkit* toolkit = Toolkit::instance();
    if (!element || !toolkit)
        return nullptr;
    ElementFactory::ContentRule content = nullptr;
    // text and unknown elements drop out with everything inside them
    std::unique_ptr<Control> control = toolkit->elementFactory.makeControl(toWide(xmlName(element)), &content);
    if (!control)
        return nullptr;

    applyAttributes(control.get(), element);

    if (content) {
        // the first child node is the control's content (a tab item's page), not a child here
        content(control.get(), buildElement(element->first_node()));
        return control;
    }
    auto* panel = dynamic_cast<Panel*>(control.get());
    if (!panel)
        return control;   // only panels have children
    for (const XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
        std::unique_ptr<Control> built = buildElement(child);
        // a fresh control has no parent, so the panel takes it; not attached yet, so no events
        if (built && panel->addChild(built.get()))
            built.release();
    }
    return control;
}
