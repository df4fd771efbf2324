// A label that shows the hand cursor and opens its `url` when pressed.
#pragma once

#include "Label.h"

#include <string>

class LinkLabel : public Label {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;

    LinkLabel();
    // A link whatever its flags say.
    ControlKind kind() const override;

    // Opens a link: the "iexplore" program through the shell, else, for web addresses only, the
    // machine's handler of the address. Answers whether something was started. ScriptHooks::openUrl
    // replaces it (tests, which must not start a browser).
    static bool openInBrowser(const std::wstring& url);

private:
    static void onQueryCursor(void* self, Control*, ControlEvent* event);
    static void onLButtonDown(void* self, Control*, ControlEvent* event);
};
