// Turns a host's requests to redraw areas into composition passes, in order, presenting a layered
// window once per batch.
#pragma once

#include <deque>

#include "ui/DuiTypes.h"
#include "ui/GdiPlus.h"

namespace dui {

class DuiHost;

class DuiRedrawQueue {
public:
    struct Entry {
        RectF area;
        int mode;
    };

    // Stores the host's window, the host and its composition graphics (whenever surfaces change).
    void init(HWND hostWindow, DuiHost* host, Gdiplus::GpGraphics* graphics);
    void clear();
    // Mode 0 appends, 1 composes and presents now, 2 puts the area first; then flushes unless a
    // flush is already running (a re-entrant add only queues).
    void add(const RectF& area, int mode);
    int isIdle() const { return flushing_ ? 0 : 1; }
    void flush();
    const std::deque<Entry>& pending() const { return pending_; }

private:
    HWND hostWindow_ = nullptr;
    DuiHost* host_ = nullptr;                  // owner, not owned
    Gdiplus::GpGraphics* graphics_ = nullptr;  // the host's composition graphics, not owned
    std::deque<Entry> pending_;
    int flushing_ = 0;
};

}  // namespace dui
