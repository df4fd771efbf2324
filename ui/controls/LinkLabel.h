// A label that shows the hand cursor and opens its `url` when pressed.
#pragma once

#include "Label.h"

#include <string>

class LinkLabel : public Label {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;

    LinkLabel();

    // Opens a link in the browser; replaced by tests, which must not start one. Answers whether
    // something was started.
    static bool (*openUrl)(const std::wstring& url);
    // The default: the "iexplore" program through the shell, else, for web addresses only, the
    // machine's handler of the address.
    static bool openInBrowser(const std::wstring& url);

private:
    static void onQueryCursor(void* self, Control*, ControlEvent* event);
    static void onLButtonDown(void* self, Control*, ControlEvent* event);
};
