#include "ui/DuiStringFormat.h"

#include <gtest/gtest.h>

#include "tests/support/Pixels.h"

namespace dui {
namespace {

using StringFormatTest = test::ToolkitTest;

// The three ways the toolkit sets a format up read back as they were set.
TEST_F(StringFormatTest, SettingsReadBack) {
    struct Case {
        int flags, alignment, trimming, hotkeyPrefix;
    } const cases[] = {
        {4096, 0, 0, 1},                               // text controls
        {4096 | 1024 | 2048 | 8192 | 16384, 1, 4, 0},  // multi-line labels
        {4096, 0, 3, 1},                               // menu rows
        {4096, 2, 5, 2},
    };
    for (const Case& c : cases) {
        DuiStringFormat format;
        ASSERT_TRUE(format.create(4096, 0));
        EXPECT_EQ(format.flags(c.flags), c.flags);
        EXPECT_EQ(format.alignment(c.alignment), c.alignment);
        EXPECT_EQ(format.trimming(c.trimming), c.trimming);
        EXPECT_EQ(format.hotkeyPrefix(c.hotkeyPrefix), c.hotkeyPrefix);
        // Reading without a value changes nothing.
        EXPECT_EQ(format.flags(), c.flags);
        EXPECT_EQ(format.alignment(), c.alignment);
        EXPECT_EQ(format.trimming(), c.trimming);
        EXPECT_EQ(format.hotkeyPrefix(), c.hotkeyPrefix);
    }
}

TEST_F(StringFormatTest, NotOwnedFormatOutlivesTheWrapper) {
    const long before = liveGdiPlusObjects();
    GpStringFormatPtr kept;
    {
        DuiStringFormat builder;
        ASSERT_TRUE(builder.create(4096, 0, false));
        builder.alignment(2);
        kept = builder.take();
        EXPECT_EQ(builder.handle(), nullptr);
    }
    ASSERT_TRUE(kept);
    Gdiplus::StringAlignment align = Gdiplus::StringAlignmentNear;
    EXPECT_EQ(gp::GdipGetStringFormatAlign(kept.get(), &align), Gdiplus::Ok);
    EXPECT_EQ(align, Gdiplus::StringAlignmentFar);

    // A builder released while someone else uses its raw handle does not delete it either.
    Gdiplus::GpStringFormat* raw = nullptr;
    {
        DuiStringFormat builder;
        ASSERT_TRUE(builder.create(4096, 0, false));
        raw = builder.handle();
    }
    GpStringFormatPtr adopted(raw);
    INT flags = 0;
    EXPECT_EQ(gp::GdipGetStringFormatFlags(adopted.get(), &flags), Gdiplus::Ok);
    EXPECT_EQ(flags, 4096);
    adopted.reset();
    kept.reset();
    EXPECT_EQ(liveGdiPlusObjects(), before);
}

TEST_F(StringFormatTest, RecreatingDeletesOnlyAnOwnedFormat) {
    const long before = GpStringFormatPtr::live();
    {
        DuiStringFormat owned;
        ASSERT_TRUE(owned.create(0, 0));
        ASSERT_TRUE(owned.create(4096, 0));
        EXPECT_EQ(GpStringFormatPtr::live(), before + 1);
        EXPECT_EQ(owned.flags(), 4096);
    }
    EXPECT_EQ(GpStringFormatPtr::live(), before);

    DuiStringFormat lent;
    ASSERT_TRUE(lent.create(4096, 0, false));
    GpStringFormatPtr first(lent.handle());  // what a control would have taken
    ASSERT_TRUE(lent.create(0, 0, false));
    EXPECT_NE(lent.handle(), first.get());
    INT flags = 0;
    EXPECT_EQ(gp::GdipGetStringFormatFlags(first.get(), &flags), Gdiplus::Ok);
    EXPECT_EQ(flags, 4096);
    GpStringFormatPtr second = lent.take();
    EXPECT_TRUE(second);
}

TEST_F(StringFormatTest, ReleaseDeletesAndEmptiesTheWrapper) {
    const long before = GpStringFormatPtr::live();
    DuiStringFormat format;
    ASSERT_TRUE(format.create(4096, 0, false));
    format.release();
    EXPECT_EQ(format.handle(), nullptr);
    EXPECT_EQ(GpStringFormatPtr::live(), before);
    // Getters on an empty wrapper answer the neutral value instead of touching freed memory.
    EXPECT_EQ(format.flags(), 0);
}

}  // namespace
}  // namespace dui
