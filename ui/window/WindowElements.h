// The markup elements of the controls that own windows of their own.
#pragma once

class ElementFactory;

// ComboBox, TitleBar and WebBrowser.
void registerWindowElements(ElementFactory& factory);
// Has Toolkit::start register them; call before it.
void installWindowElements();
