// WebBrowser: the platform web browser inside a toolkit window.
#include "WebBrowser.h"

WebBrowser::WebBrowser() : Control(kInitialFlags) {}
