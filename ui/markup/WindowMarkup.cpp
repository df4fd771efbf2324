// Loading the frame package and building control trees from window markup.
#include "WindowMarkup.h"

#include "Attributes.h"

#include <FileSystem.h>
#include <Panel.h>
#include <TabItem.h>
#include <Toolkit.h>
#include <Utf.h>

namespace {

std::wstring wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring wideFromUtf8(const std::string& text)
{
    return wide(utf8ToUtf16(text));
}

void releaseFramePackage(FramePackage& frame)
{
    frame.package.reset();   // it reads the image, so it goes first
    if (frame.image) {
        if (FileSystem* files = currentFileSystem())
            files->freeData(frame.image);
        frame.image = nullptr;
    }
}

bool fail(std::wstring* error, const std::wstring& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool loadFramePackage(const std::wstring& fileName, std::wstring* error)
{
    Toolkit* toolkit = Toolkit::instance();
    if (!toolkit || !toolkit->framePackage)
        return fail(error, L"the frame package \"" + fileName + L"\" cannot be loaded before the toolkit is started");
    FramePackage& frame = *toolkit->framePackage;
    releaseFramePackage(frame);

    FileSystem* files = currentFileSystem();
    uint64_t size = 0;
    void* image = files ? files->readFile(fileName.c_str(), &size) : nullptr;
    if (!image)
        return fail(error, L"the frame package \"" + fileName + L"\" cannot be read");
    std::string reason;
    std::unique_ptr<Package> package = Package::open(image, size_t(size), &reason);
    if (!package) {
        files->freeData(image);
        return fail(error, L"the frame package \"" + fileName + L"\" is damaged: " + wideFromUtf8(reason));
    }
    frame.image = image;
    frame.package = std::move(package);
    return true;
}

std::unique_ptr<Control> buildWindowTree(const std::wstring& name, std::wstring* error)
{
    const std::wstring what = L"window markup \"" + name + L"\"";
    Toolkit* toolkit = Toolkit::instance();
    if (!toolkit || !toolkit->framePackage || !toolkit->framePackage->package) {
        fail(error, what + L": no frame package is loaded");
        return nullptr;
    }

    // read and parse; the document keeps its own copy, so the entry goes back at once
    uint64_t size = 0;
    uint8_t* entry = toolkit->framePackage->package->readEntry(name.c_str(), &size);
    if (!entry) {
        fail(error, what + L" is not in the frame package");
        return nullptr;
    }
    XmlDocument document;
    std::string parseError;
    bool parsed = document.parse(entry, size_t(size), &parseError);
    Package::freeEntry(entry);
    if (!parsed) {
        fail(error, what + L": " + wideFromUtf8(parseError));
        return nullptr;
    }

    const XmlNode* root = document.firstNode();
    if (!root) {
        fail(error, what + L" has no root element");
        return nullptr;
    }
    std::unique_ptr<Control> tree = buildElement(root);
    if (!tree)
        fail(error, what + L": the root element \"" + wide(xmlName(root)) + L"\" is not a control");
    return tree;
}

std::unique_ptr<Control> buildElement(const XmlNode* element)
{
    Toolkit* toolkit = Toolkit::instance();
    if (!element || !toolkit)
        return nullptr;
    const std::wstring name = wide(xmlName(element));
    auto creator = toolkit->elementFactory.controlCreators.find(name);
    if (creator == toolkit->elementFactory.controlCreators.end())
        return nullptr;   // text and unknown elements drop out with everything inside them
    std::unique_ptr<Object> made(creator->second->create());
    Control* control = dynamic_cast<Control*>(made.get());
    if (!control)
        return nullptr;
    made.release();
    std::unique_ptr<Control> result(control);

    applyAttributes(control, element);

    if (name == L"TabItem") {
        // the first child node is the page; the tab control shows it, it is not a child here
        if (auto* item = dynamic_cast<TabItem*>(control))
            item->content = buildElement(element->first_node()).release();
        return result;
    }
    auto* panel = dynamic_cast<Panel*>(control);
    if (!panel)
        return result;   // only panels have children
    for (const XmlNode* child = element->first_node(); child; child = child->next_sibling()) {
        std::unique_ptr<Control> built = buildElement(child);
        // a fresh control has no parent, so the panel takes it; not attached yet, so no events
        if (built && panel->addChild(built.get()))
            built.release();
    }
    return result;
}
