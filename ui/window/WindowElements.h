// The markup elements of the controls that own windows of their own.
#pragma once

class Toolkit;

// ComboBox, TitleBar and WebBrowser.
void registerWindowElements(Toolkit& toolkit);
// Has Toolkit::start register them; call before it.
void installWindowElements();
