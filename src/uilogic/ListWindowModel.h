#pragma once

#include "analysis/ComparisonRun.h"
#include "analysis/ResultList.h"

#include <functional>
#include <string>

namespace korvex {

// What the list window must carry out when its model changes.
class ListWindowListener {
public:
    virtual ~ListWindowListener() = default;
    // The window comes into being: centred, shown, "Close" focused.
    virtual void listWindowCreated() {}
    // The window and its list cease to exist.
    virtual void listWindowClosed() {}
    virtual void listCaptionChanged() {}
    // The list's lines changed; the window redraws them.
    virtual void listChanged() {}
    // Show (modeless) and bring forward.
    virtual void listWindowShown() {}
};

// The list window's logic, free of any window toolkit: whether the window
// exists, its caption, its result list and the text its Copy command puts on
// the clipboard. The window comes into being on first use and its list dies
// with it.
class ListWindowModel {
public:
    static constexpr std::string_view kInitialCaption = ComparisonRun::kInitialCaption;

    void setListener(ListWindowListener* listener) { listener_ = listener; }

    bool exists() const { return exists_; }
    // Creates the window if it does not exist (every use below does this).
    void ensureCreated();
    void setCaption(const std::string& caption);
    const std::string& caption() const { return caption_; }
    ResultList& list();
    const ResultList& list() const { return list_; }
    // Tells the window that the list's lines changed.
    void redraw();
    void show();
    // "Close": the window and its list cease to exist.
    void close();

    // "Copy to the Clipboard": per line, its tail (from the 11th character, at
    // most 100), TAB, its head (the first 10 characters), CR LF.
    std::string copyText() const;

    // Run after the window closed, by "Close" or by a pick.
    std::function<void()> onClosed;

private:
    ListWindowListener& out() const;

    bool exists_ = false;
    std::string caption_{kInitialCaption};
    ResultList list_;
    ListWindowListener* listener_ = nullptr;
};

} // namespace korvex
