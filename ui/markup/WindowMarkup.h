// Window markup: the frame package, and control trees built from its documents.
#pragma once

#include "XmlDocument.h"

#include <Control.h>
#include <FramePackage.h>
#include <LoadedPackage.h>

#include <memory>
#include <string>

// The toolkit's frame package as the markup layer keeps it.
class MarkupFramePackage : public FramePackage {
public:
    LoadedPackage package;   // empty until loaded
};

// The toolkit's frame package, or null when there is no toolkit or none is loaded.
const Package* loadedFramePackage();

// Loads the named file of the current file system as the toolkit's frame package, releasing the
// one loaded before. False, with the reason in `error` and no package kept, when there is no
// toolkit or the file cannot be read or opened as a package.
bool loadFramePackage(const std::wstring& fileName, std::wstring* error = nullptr);

// Builds a new tree, not attached to any window, from the markup entry `name` of the frame package.
// Null, with a text fit for a script error in `error`, when the frame package is not loaded, the
// entry is missing, the markup is malformed (the parser's message and position) or its root
// element is not a control.
std::unique_ptr<Control> buildWindowTree(const std::wstring& name, std::wstring* error = nullptr);

// One element and its descendants, attributes applied before children are built and appended in
// document order. Null for an element name the factory does not know: the element and all it
// holds are left out. A `TabItem` keeps its first child node as its content instead; other
// controls that are not panels ignore their children.
std::unique_ptr<Control> buildElement(const XmlNode* element);
