#include "ui/DuiRedrawQueue.h"

#include "ui/DuiCompositor.h"
#include "ui/DuiDraw.h"
#include "ui/DuiHost.h"

namespace dui {

void DuiRedrawQueue::init(HWND hostWindow, DuiHost* host, Gdiplus::GpGraphics* graphics) {
    hostWindow_ = hostWindow;
    host_ = host;
    graphics_ = graphics;
}

void DuiRedrawQueue::clear() {
    pending_.clear();
    flushing_ = 0;
}

void DuiRedrawQueue::add(const RectF& area, int mode) {
    if (mode == 1)
        compositeArea(hostWindow_, area, host_, graphics_, 1);
    else if (mode == 2)
        pending_.push_front({area, mode});
    else
        pending_.push_back({area, mode});
    if (!flushing_) flush();
}

void DuiRedrawQueue::flush() {
    flushing_ = 1;
    int present = host_ && !host_->isLayered() ? 1 : 0;
    while (!pending_.empty()) {
        // Copied out: composing may add entries (even at the head) while it runs.
        Entry entry = pending_.front();
        pending_.pop_front();
        compositeArea(hostWindow_, entry.area, host_, graphics_, present);
    }
    if (host_ && host_->isLayered() && !host_->busy && !host_->redrawsHeld)
        updateLayered(hostWindow_, host_->composeDC(), host_->size);
    flushing_ = 0;
}

}  // namespace dui
