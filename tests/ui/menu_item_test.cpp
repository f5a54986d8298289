// Menu rows painted on a real host window: text placement, the submenu arrow's room, the check
// mark, the hot look and the highlight an open submenu's row keeps.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/Pixels.h"
#include "tests/ui/HostTestSupport.h"
#include "ui/DuiMenuItem.h"

namespace dui::test {
namespace {

constexpr int kRowWidth = 200;
constexpr int kRowHeight = 22;
constexpr ArgbColor kCheckInk = 0xFF224466;  // the check mark's colour, RGB (34, 68, 102)

// A 20 x 20 red PNG, encoded through GDI+ so rows decode real bytes.
std::vector<std::uint8_t> redIconBytes() {
    GpImagePtr bitmap = solidBitmap(20, 20, 0xFFFF0000);
    CLSID png{};
    UINT count = 0, size = 0;
    gp::GdipGetImageEncodersSize(&count, &size);
    std::vector<std::uint8_t> table(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(table.data());
    gp::GdipGetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i)
        if (std::wstring(codecs[i].MimeType) == L"image/png") png = codecs[i].Clsid;
    IStream* raw = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &raw);
    StreamPtr stream(raw);
    gp::GdipSaveImageToStream(bitmap.get(), stream.get(), &png, nullptr);
    STATSTG stat{};
    stream.get()->Stat(&stat, STATFLAG_NONAME);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream.get()->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream.get()->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

class MenuItemTest : public HostTest {
protected:
    std::unique_ptr<DuiMenuItem> makeRow(const std::wstring& text, int type = MenuItemCommand,
                                         int state = MenuItemNormal,
                                         std::vector<std::uint8_t> icon = {}, int y = 0,
                                         int height = kRowHeight) {
        MenuItemRecord record;
        record.text = text;
        record.type = type;
        record.state = state;
        record.icon = std::move(icon);
        auto row = std::make_unique<DuiMenuItem>();
        EXPECT_NE(row->create(window, 0, y, kRowWidth, height, record), 0u);
        return row;
    }
    // Rightmost column left of the arrow's place holding nearly opaque text ink.
    static int rightmostTextInk(DuiMenuItem& row) {
        for (int x = kRowWidth - 10; x >= 0; --x)
            for (int y = 0; y < kRowHeight; ++y)
                if (alphaOf(pixelAt(row.canvas(), x, y)) > 150) return x;
        return -1;
    }
    static int topTextInk(DuiMenuItem& row) {
        for (int y = 0; y < kRowHeight; ++y)
            for (int x = 30; x < kRowWidth; ++x)
                if (alphaOf(pixelAt(row.canvas(), x, y)) > 100) return y;
        return -1;
    }
};

TEST_F(MenuItemTest, TextSitsOnTheFontHeightAndLeavesRoomForTheArrow) {
    // A 22-pixel row with a 12-pixel font: truncate(10 / 2 + 1) from the top.
    RectF command = menuItemTextRect(kRowWidth, kRowHeight, 12, false);
    RectF submenu = menuItemTextRect(kRowWidth, kRowHeight, 12, true);
    EXPECT_EQ(command.X, 30);
    EXPECT_EQ(command.Y, 6);
    EXPECT_EQ(command.Height, 16);
    EXPECT_EQ(command.Width, kRowWidth - 30);
    EXPECT_EQ(command.X + command.Width - (submenu.X + submenu.Width), 12);
    EXPECT_EQ(menuItemTextRect(kRowWidth, kRowHeight, 13.8f, false).Y, 5);

    // Real rows: long texts are cut 12 pixels sooner on a submenu row, whose arrow sits 5 to 8
    // pixels from the right edge.
    const std::wstring longText(80, L'W');
    auto plain = makeRow(longText);
    auto cascade = makeRow(longText, MenuItemSubmenu, MenuItemNormal, {}, 30);
    int plainEnd = rightmostTextInk(*plain);
    int cascadeEnd = rightmostTextInk(*cascade);
    EXPECT_GT(plainEnd, kRowWidth - 12);
    EXPECT_LT(cascadeEnd, kRowWidth - 12);
    EXPECT_GT(cascadeEnd, kRowWidth - 12 - 16);  // cut by its own end, not much sooner
    auto arrowInk = [](ArgbColor c) { return alphaOf(c) > 40 && alphaOf(c) < 200; };
    EXPECT_GT(countPixels(cascade->canvas(), kRowWidth - 8, 5, 4, 10, arrowInk), 4);

    // The first ink of a text starts at or below the computed offset.
    float fontHeight = 0;
    gp::GdipGetFontHeight(toolkit().defaultFont.get(), plain->canvasGraphics(), &fontHeight);
    int offset = static_cast<int>(menuItemTextRect(kRowWidth, kRowHeight, fontHeight, false).Y);
    EXPECT_GE(topTextInk(*plain), offset);
}

TEST_F(MenuItemTest, CheckMarkedEntryShowsTheBuiltInCheckMarkInsteadOfItsIcon) {
    std::vector<std::uint8_t> red = redIconBytes();
    ASSERT_FALSE(red.empty());
    auto withIcon = makeRow(L"图标", MenuItemCommand, MenuItemNormal, red);
    auto checked = makeRow(L"选中", MenuItemCommand, MenuItemChecked, red, 30);
    auto isRed = [](ArgbColor c) { return alphaOf(c) > 200 && redOf(c) > 200 && greenOf(c) < 40; };
    auto isCheck = [](ArgbColor c) { return alphaOf(c) > 200 && colourNear(c, kCheckInk, 12); };
    EXPECT_EQ(countPixels(withIcon->canvas(), 2, 1, 20, 20, isRed), 400);
    EXPECT_EQ(countPixels(checked->canvas(), 0, 0, kRowWidth, kRowHeight, isRed), 0);
    EXPECT_GT(countPixels(checked->canvas(), 2, 1, 20, 20, isCheck), 15);
    // Nothing of the icon spills out of its cell.
    EXPECT_EQ(countPixels(checked->canvas(), 22, 0, 8, kRowHeight, isCheck), 0);
}

TEST_F(MenuItemTest, HotRowsFillWithTheHotColourAndAnOpenSubmenuRowStaysHot) {
    auto command = makeRow(L"命令");
    auto cascade = makeRow(L"更多", MenuItemSubmenu, MenuItemNormal, {}, 30);
    auto background = [](DuiMenuItem& row) { return pixelAt(row.canvas(), 25, 10); };
    EXPECT_EQ(alphaOf(background(*command)), 0);

    dispatchMessage(command->handle(), MouseEnter, 0, 0);
    EXPECT_EQ(command->lastHot(), 1);
    EXPECT_TRUE(colourNear(background(*command), kMenuHotColor, 3));
    dispatchMessage(command->handle(), MouseLeave, 0, 0);
    EXPECT_EQ(alphaOf(background(*command)), 0);

    // The row whose submenu is open holds the host's focus and keeps its highlight on leave.
    host->focusedControl = cascade->handle();
    dispatchMessage(cascade->handle(), MouseLeave, 0, 0);
    EXPECT_EQ(cascade->lastHot(), 1);
    EXPECT_TRUE(colourNear(background(*cascade), kMenuHotColor, 3));

    // Entering another row takes that focus away at once and the old row goes plain.
    dispatchMessage(command->handle(), MouseEnter, 0, 0);
    EXPECT_EQ(host->focusedControl, 0u);
    EXPECT_EQ(cascade->lastHot(), 0);
    EXPECT_EQ(alphaOf(background(*cascade)), 0);
    KillTimer(window, command->handle());
}

TEST_F(MenuItemTest, SeparatorDrawsOneLineAndRowsRegisterTheirMnemonic) {
    auto separator = makeRow(L"", MenuItemSeparator, MenuItemNormal, {}, 0, 3);
    EXPECT_TRUE(colourNear(pixelAt(separator->canvas(), 10, 1), argbColor(RGB(183, 195, 204)), 2));
    EXPECT_EQ(alphaOf(pixelAt(separator->canvas(), 10, 0)), 0);
    EXPECT_EQ(alphaOf(pixelAt(separator->canvas(), kRowWidth - 2, 1)), 0);

    auto copy = makeRow(L"复制(&C)");
    bool found = false;
    for (const Mnemonic& m : host->mnemonics)
        if (m.control == copy->handle()) found = m.key == 'C';
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace dui::test
