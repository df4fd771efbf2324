// The tooltip a host window shows at the cursor: a tracking tool whose text is asked for on demand.
#pragma once

#include <platform/Handle.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

// Owned by its host window; the tooltip window is owned by the host's window and goes with it.
class TrackingTooltip {
public:
    TrackingTooltip() = default;
    TrackingTooltip(const TrackingTooltip&) = delete;
    TrackingTooltip& operator=(const TrackingTooltip&) = delete;

    // Makes the tooltip window for `owner` and registers the one tool. False when the platform
    // refuses; showing then does nothing.
    bool create(HWND owner);
    void destroy() { window_.reset(); }

    // Shows `text` under the cursor, pulled left when its estimated width would leave the screen.
    // A tip already shown keeps its place and only takes the new text.
    void show(const std::wstring& text);
    void hide();
    bool isVisible() const;

    // Answers the tooltip's request for its text (WM_NOTIFY); false for other notifications.
    bool answer(const NMHDR* header);

    HWND handle() const { return window_.get(); }
    const std::wstring& text() const { return text_; }

private:
    platform::UniqueWindow window_;
    TTTOOLINFOW toolInfo_{};
    std::wstring text_;
};
