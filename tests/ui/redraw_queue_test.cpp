#include <gtest/gtest.h>

#include <functional>

#include "tests/ui/HostTestSupport.h"

namespace dui {
namespace {

using test::HostTest;
using test::pumpFor;
using test::SolidControl;

// A disabled control over the whole window: every composed area reaches it, and it records the
// area (the composition's clip) each time it is asked about its disabled look.
class AreaProbe : public SolidControl {
public:
    std::vector<RectF> composed;
    std::function<void()> onFirstCompose;
    int handleMessage(ControlHandle h, UINT code, WPARAM a, LPARAM b) override {
        if (code == QueryOwnDisabledLook) {
            RectF clip;
            gp::GdipGetVisibleClipBounds(host()->composeGraphics(), &clip);
            composed.push_back(clip);
            if (onFirstCompose) {
                auto once = std::move(onFirstCompose);
                onFirstCompose = nullptr;
                once();
            }
        }
        return SolidControl::handleMessage(h, code, a, b);
    }
    std::vector<float> lefts() const {
        std::vector<float> xs;
        for (const RectF& r : composed) xs.push_back(r.X);
        return xs;
    }
};

class RedrawQueueTest : public HostTest {
protected:
    AreaProbe probe;
    void SetUp() override {
        HostTest::SetUp();
        probe.make(window, RectF(0, 0, 300, 200), 0xFF808080);
        probe.disabled(1);
        pumpFor(20);
        probe.composed.clear();
    }
    static RectF at(float x) { return RectF(x, 10, 5, 5); }
};

TEST_F(RedrawQueueTest, EachModeComposesAtOnceWhileIdle) {
    DuiRedrawQueue& queue = host->redrawQueue;
    queue.add(at(10), 0);
    queue.add(at(20), 1);
    queue.add(at(30), 2);
    EXPECT_EQ(probe.lefts(), (std::vector<float>{10, 20, 30}));
    EXPECT_TRUE(queue.pending().empty());
    EXPECT_EQ(queue.isIdle(), 1);
}

TEST_F(RedrawQueueTest, AreasAddedDuringAFlushAreComposedInTheSameFlush) {
    DuiRedrawQueue& queue = host->redrawQueue;
    int idleDuringFlush = -1;
    probe.onFirstCompose = [&] {
        idleDuringFlush = queue.isIdle();
        queue.add(at(20), 0);
        queue.add(at(30), 0);
        queue.add(at(40), 2);  // goes before the waiting ones
        queue.add(at(50), 1);  // composed right now, inside the running composition
        EXPECT_EQ(queue.pending().size(), 3u);
    };
    queue.add(at(10), 0);
    EXPECT_EQ(idleDuringFlush, 0);
    EXPECT_EQ(probe.lefts(), (std::vector<float>{10, 50, 40, 20, 30}));
    EXPECT_EQ(queue.isIdle(), 1);
    EXPECT_TRUE(queue.pending().empty());
}

TEST_F(RedrawQueueTest, ClearDropsWaitingAreas) {
    DuiRedrawQueue& queue = host->redrawQueue;
    probe.onFirstCompose = [&] {
        queue.add(at(20), 0);
        queue.clear();
    };
    queue.add(at(10), 0);
    EXPECT_EQ(probe.lefts(), std::vector<float>{10});
    EXPECT_EQ(queue.isIdle(), 1);
}

TEST_F(RedrawQueueTest, NothingIsComposedWhileTheHostIsBusy) {
    host->busy = 1;
    host->invalidateRect(at(10), 0);
    host->invalidateRect(at(20), 1);
    EXPECT_TRUE(probe.composed.empty());
    EXPECT_TRUE(host->redrawQueue.pending().empty());
    host->busy = 0;
}

}  // namespace
}  // namespace dui
