// The platform web browser inside a toolkit window.
#pragma once

#include <Control.h>

class WebBrowser : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;

    WebBrowser();
};
