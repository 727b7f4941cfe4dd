// The colour-picker button in a window of this process, driven with real
// mouse input: the palette's layout, choosing cells, "Automatic" and "Other
// Colors...", tearing the palette off, placement at the screen's edges and
// the button's size rules.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/vorlix_test.h"
#include "ui/colour_picker.h"

using ui::TColourPickButton;

namespace {

void MouseButton(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
}

void MoveTo(POINT p) {
    SetCursorPos(p.x, p.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    vt::PumpFor(30);
}

void ClickAt(POINT p) {
    MoveTo(p);
    MouseButton(true);
    vt::PumpFor(30);
    MouseButton(false);
    vt::PumpFor(60);
}

void Key(WORD vk) {
    vt::PressKey(vk);
    vt::PumpFor(60);
}

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

POINT Centre(HWND window, const RECT& clientRect) {
    POINT p{(clientRect.left + clientRect.right) / 2, (clientRect.top + clientRect.bottom) / 2};
    ClientToScreen(window, &p);
    return p;
}

// A top-level window holding one picker button.
class PickerHost : public ::testing::Test {
protected:
    void SetUp() override { Make(40, 40, 32, 22); }
    void TearDown() override {
        if (host_) DestroyWindow(host_);
    }

    void Make(int x, int y, int width, int height) {
        if (host_) DestroyWindow(host_);
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = L"PickerTestHost";
        RegisterClassW(&wc);
        host_ = CreateWindowExW(0, L"PickerTestHost", L"picker host", WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, 200, 80,
                                nullptr, nullptr, nullptr, nullptr);
        button_ = TColourPickButton::Create(host_, 100, 10, 10, width, height);
        ASSERT_NE(button_, nullptr);
        button_->OnColorSelected = [this](uint32_t c) { events_.push_back(c); };
        SetForegroundWindow(host_);
        UpdateWindow(host_);
        vt::PumpFor(50);
    }

    RECT ButtonScreenRect() const {
        RECT r;
        GetWindowRect(button_->Handle(), &r);
        return r;
    }

    void OpenByClick() {
        RECT r = ButtonScreenRect();
        ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        ASSERT_TRUE(vt::WaitUntil([&] { return button_->DroppedDown(); }, 2000));
    }

    void ClickCell(int item) {
        const auto& l = button_->Layout();
        const RECT& r = item == TColourPickButton::AutoItem    ? l.autoButton
                        : item == TColourPickButton::OtherItem ? l.otherButton
                                                                : l.cells[size_t(item)];
        ClickAt(Centre(button_->PaletteWindow(), r));
    }

    HWND host_ = nullptr;
    TColourPickButton* button_ = nullptr;
    std::vector<uint32_t> events_;
};

}  // namespace

TEST(PaletteLayout, WordStyleValuesGiveA158PixelSquareWithTheBar) {
    const auto bar = ui::LayOutPalette({}, true);
    EXPECT_EQ(bar.client.cx, 158);
    EXPECT_EQ(bar.client.cy, 158);
    EXPECT_TRUE(Same(bar.dragBar, RECT{4, 2, 154, 9}));
    EXPECT_TRUE(Same(bar.autoButton, RECT{7, 12, 151, 34}));
    EXPECT_TRUE(Same(bar.cells[0], RECT{7, 38, 25, 56}));
    EXPECT_TRUE(Same(bar.cells[13], RECT{7 + 5 * 18, 38 + 18, 7 + 6 * 18, 38 + 2 * 18}));
    EXPECT_TRUE(Same(bar.otherButton, RECT{7, 132, 151, 154}));

    // Without the bar everything moves up by its height.
    const auto plain = ui::LayOutPalette({}, false);
    EXPECT_EQ(plain.client.cy, 151);
    EXPECT_TRUE(IsRectEmpty(&plain.dragBar));
    EXPECT_EQ(plain.autoButton.top, 5);
    EXPECT_EQ(plain.otherButton.bottom, 147);

    // Spaces between cells and larger cells.
    ui::PaletteMetrics m;
    m.ColorSpace = 2;
    m.ColorSize = 20;
    const auto spaced = ui::LayOutPalette(m, true);
    EXPECT_EQ(spaced.client.cx, 14 + 160 + 14);
    EXPECT_EQ(spaced.cells[9].left, 7 + 22);
    EXPECT_EQ(spaced.cells[9].top, spaced.autoButton.bottom + 4 + 22);
}

TEST(PaletteLayout, ValuesBelowTheirMinimumAreRaised) {
    ui::PaletteMetrics m;
    m.TopMargin = 0;
    m.ColorSize = 3;
    m.ButtonHeight = -5;
    m.ColorSpace = -1;
    m.HoriMargin = 30;
    const auto r = ui::RaisedToMinimum(m);
    EXPECT_EQ(r.TopMargin, 2);
    EXPECT_EQ(r.ColorSize, 18);
    EXPECT_EQ(r.ButtonHeight, 22);
    EXPECT_EQ(r.ColorSpace, 0);
    EXPECT_EQ(r.HoriMargin, 30);
}

TEST(ShownColour, AutomaticSystemAndPlainColours) {
    EXPECT_EQ(ui::ShownColour(ui::clDefault), ui::AutomaticShownColour);
    EXPECT_EQ(ui::ShownColour(0x00123456), 0x00123456u);
    EXPECT_EQ(ui::ShownColour(0x7F123456), 0x00123456u);
    EXPECT_EQ(ui::ShownColour(0x80000000u | COLOR_WINDOW), GetSysColor(COLOR_WINDOW));
}

TEST_F(PickerHost, ClickingACellSelectsItsColourAndClosesThePalette) {
    EXPECT_EQ(button_->SelectedColor(), ui::clDefault);
    EXPECT_EQ(button_->DownItem(), TColourPickButton::AutoItem);
    for (int cell : {0, 7, 13, 26, 39}) {
        OpenByClick();
        ClickCell(cell);
        ASSERT_TRUE(vt::WaitUntil([&] { return !button_->DroppedDown(); }, 2000)) << cell;
        EXPECT_EQ(button_->SelectedColor(), ui::PaletteColours[size_t(cell)]) << cell;
        EXPECT_EQ(button_->DownItem(), cell);
    }
    EXPECT_EQ(events_, (std::vector<uint32_t>{0x000000, 0x333333, 0xFF0000, 0x00FFFF, 0xFFFFFF}));

    // The colour bar of the button shows the choice.
    UpdateWindow(button_->Handle());
    vt::PumpFor(150);
    const RECT r = ButtonScreenRect();
    const int w = (r.right - r.left) - button_->DropDownWidth(), h = r.bottom - r.top;
    EXPECT_EQ(vt::ScreenPixel(r.left + (w + 1) / 2, r.top + (h + 1) / 2 + 5), RGB(255, 255, 255));

    // Choosing the colour that is already selected fires nothing.
    OpenByClick();
    ClickCell(39);
    ASSERT_TRUE(vt::WaitUntil([&] { return !button_->DroppedDown(); }, 2000));
    EXPECT_EQ(events_.size(), 5u);

    // "Automatic" reports the automatic colour, which the bar shows as black.
    OpenByClick();
    ClickCell(TColourPickButton::AutoItem);
    ASSERT_TRUE(vt::WaitUntil([&] { return !button_->DroppedDown(); }, 2000));
    EXPECT_EQ(button_->SelectedColor(), ui::clDefault);
    EXPECT_EQ(button_->DownItem(), TColourPickButton::AutoItem);
    EXPECT_EQ(events_.back(), ui::clDefault);
    UpdateWindow(button_->Handle());
    vt::PumpFor(150);
    EXPECT_EQ(vt::ScreenPixel(r.left + (w + 1) / 2, r.top + (h + 1) / 2 + 5), RGB(0, 0, 0));
}

TEST_F(PickerHost, ProgramSetColoursMarkTheirCellOrNone) {
    button_->SetSelectedColor(0x808080);
    EXPECT_EQ(button_->DownItem(), 15);
    EXPECT_EQ(events_, (std::vector<uint32_t>{0x808080}));
    button_->SetSelectedColor(0x808080);
    EXPECT_EQ(events_.size(), 1u);
    // A colour that no cell has leaves every entry up.
    button_->SetSelectedColor(0x123456);
    EXPECT_EQ(button_->DownItem(), TColourPickButton::NoItem);
    button_->SetSelectedColor(ui::clDefault);
    EXPECT_EQ(button_->DownItem(), TColourPickButton::AutoItem);
    EXPECT_EQ(events_.size(), 3u);
}

TEST_F(PickerHost, ClickingOutsideClosesTheDockedPaletteAndEscapeToo) {
    OpenByClick();
    RECT host;
    GetWindowRect(host_, &host);
    ClickAt({host.right - 10, host.top + 10});
    EXPECT_TRUE(vt::WaitUntil([&] { return !button_->DroppedDown(); }, 2000));
    EXPECT_TRUE(events_.empty());

    OpenByClick();
    vt::PressKey(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([&] { return !button_->DroppedDown(); }, 2000));

    // A click on the button while the palette is open closes it.
    OpenByClick();
    const RECT r = ButtonScreenRect();
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    vt::PumpFor(200);
    EXPECT_FALSE(button_->DroppedDown());
}

// From the keyboard alone: Space or Enter opens the palette on the chosen
// entry, the arrow keys move through "Automatic", the cells and "Other
// Colors..." (Up and Down keep the column), Enter takes the entry, Esc
// closes without a choice; the keys are back on the button afterwards, and
// the entry they are on is drawn focused.
TEST_F(PickerHost, ColoursAreChosenWithTheKeys) {
    using P = TColourPickButton;
    SetFocus(button_->Handle());
    Key(VK_SPACE);
    ASSERT_TRUE(vt::WaitUntil([&] { return button_->DroppedDown(); }, 2000));
    EXPECT_EQ(button_->FocusItem(), P::AutoItem);
    struct Step {
        WORD key;
        int item;
    };
    const Step steps[] = {{VK_DOWN, 0},   {VK_RIGHT, 1},       {VK_RIGHT, 2},       {VK_DOWN, 10},
                          {VK_UP, 2},     {VK_UP, P::AutoItem}, {VK_LEFT, P::AutoItem}, {VK_DOWN, 2},
                          {VK_LEFT, 1},   {VK_LEFT, 0},        {VK_LEFT, P::AutoItem}, {VK_RIGHT, 0}};
    for (const Step& s : steps) {
        Key(s.key);
        EXPECT_EQ(button_->FocusItem(), s.item) << s.key;
    }
    // Drawn focused: the cell the keys are on looks otherwise than when
    // they leave it.
    HWND palette = button_->PaletteWindow();
    auto cellPixels = [&](int cell) {
        RECT r = button_->Layout().cells[size_t(cell)];
        MapWindowPoints(palette, nullptr, reinterpret_cast<POINT*>(&r), 2);
        UpdateWindow(palette);
        vt::PumpFor(100);
        return vt::CaptureScreen(r);
    };
    const vt::Pixels focused = cellPixels(0);
    Key(VK_RIGHT);
    EXPECT_FALSE(cellPixels(0).data == focused.data) << "the focus left cell 0";
    Key(VK_RETURN);
    EXPECT_TRUE(vt::WaitUntil([&] { return !button_->DroppedDown(); }, 2000));
    EXPECT_EQ(button_->SelectedColor(), ui::PaletteColours[1]);
    EXPECT_EQ(events_, (std::vector<uint32_t>{ui::PaletteColours[1]}));
    EXPECT_EQ(GetFocus(), button_->Handle());

    // Enter opens it too, on the chosen cell; down past the last row is
    // "Other Colors...", up again the column kept; Esc chooses nothing.
    Key(VK_RETURN);
    ASSERT_TRUE(vt::WaitUntil([&] { return button_->DroppedDown(); }, 2000));
    EXPECT_EQ(button_->FocusItem(), 1);
    for (int item : {9, 17, 25, 33, P::OtherItem}) {
        Key(VK_DOWN);
        EXPECT_EQ(button_->FocusItem(), item);
    }
    Key(VK_UP);
    EXPECT_EQ(button_->FocusItem(), 33);
    Key(VK_ESCAPE);
    EXPECT_TRUE(vt::WaitUntil([&] { return !button_->DroppedDown(); }, 2000));
    EXPECT_EQ(events_.size(), 1u);
    EXPECT_EQ(GetFocus(), button_->Handle());
}

TEST_F(PickerHost, OtherColorsTakesTheColourDialogsChoiceAndKeepsOnCancel) {
    button_->SetSelectedColor(0x0000FF);
    events_.clear();
    std::atomic<int> step{0};
    // Fills the dialog's red, green and blue edits and confirms; the second
    // time cancels.
    std::thread driver([&] {
        for (int round = 0; round < 2; ++round) {
            HWND dialog = vt::WaitForMessageBox(GetCurrentProcessId(), nullptr, 8000);
            if (!dialog) return;
            if (round == 0) {
                const int ids[3] = {706, 707, 708};  // the colour dialog's red, green, blue
                const wchar_t* values[3] = {L"18", L"52", L"86"};
                for (int i = 0; i < 3; ++i) {
                    HWND edit = GetDlgItem(dialog, ids[i]);
                    vt::Send(edit, WM_SETTEXT, 0, LPARAM(values[i]));
                    vt::Send(dialog, WM_COMMAND, MAKEWPARAM(ids[i], EN_UPDATE), LPARAM(edit));
                }
                vt::Send(dialog, WM_COMMAND, IDOK, 0);
            } else {
                vt::Send(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            vt::WaitGone(dialog);
            ++step;
        }
    });
    OpenByClick();
    ClickCell(TColourPickButton::OtherItem);
    ASSERT_TRUE(vt::WaitUntil([&] { return step == 1; }, 10000));
    EXPECT_EQ(button_->SelectedColor(), RGB(18, 52, 86));
    EXPECT_EQ(button_->DownItem(), TColourPickButton::NoItem);
    OpenByClick();
    ClickCell(TColourPickButton::OtherItem);
    ASSERT_TRUE(vt::WaitUntil([&] { return step == 2; }, 10000));
    driver.join();
    EXPECT_EQ(button_->SelectedColor(), RGB(18, 52, 86));
    EXPECT_EQ(events_, (std::vector<uint32_t>{RGB(18, 52, 86)}));
}

TEST_F(PickerHost, DraggingTheBarTearsThePaletteOffAndItStaysOpenAfterAChoice) {
    OpenByClick();
    HWND palette = button_->PaletteWindow();
    RECT before;
    GetWindowRect(palette, &before);
    const RECT bar = button_->DragBarRect();
    ASSERT_FALSE(IsRectEmpty(&bar));
    const POINT start = Centre(palette, bar);
    // The system's move loop runs on this thread: the drag comes from another.
    std::atomic<bool> dragged{false};
    std::thread driver([&] {
        SetCursorPos(start.x, start.y);
        Sleep(50);
        MouseButton(true);
        Sleep(80);
        for (int i = 1; i <= 5; ++i) {
            SetCursorPos(start.x + 30 * i, start.y + 40 * i);
            INPUT in{};
            in.type = INPUT_MOUSE;
            in.mi.dx = MulDiv(start.x + 30 * i, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
            in.mi.dy = MulDiv(start.y + 40 * i, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
            in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            SendInput(1, &in, sizeof in);
            Sleep(50);
        }
        MouseButton(false);
        dragged = true;
    });
    vt::WaitUntil([&] { return dragged.load(); }, 5000);
    driver.join();
    ASSERT_TRUE(vt::WaitUntil([&] { return button_->Floating(); }, 2000));
    vt::PumpFor(100);
    EXPECT_EQ(GetWindowLongPtrW(palette, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(vt::WindowText(palette), L"Colour Palette");
    RECT after;
    GetWindowRect(palette, &after);
    EXPECT_GT(after.top, before.top + 100);
    // Laid out without the bar, under a caption.
    EXPECT_TRUE(IsRectEmpty(&button_->Layout().dragBar));
    RECT client;
    GetClientRect(palette, &client);
    EXPECT_EQ(client.bottom, 151);

    ClickCell(5);
    EXPECT_TRUE(vt::WaitUntil([&] { return button_->SelectedColor() == 0x800000; }, 2000));
    ClickCell(20);
    EXPECT_TRUE(vt::WaitUntil([&] { return button_->SelectedColor() == 0xCCCC33; }, 2000));
    EXPECT_TRUE(button_->DroppedDown());

    // Closing the floating palette hides it; the next opening docks it again.
    vt::Send(palette, WM_CLOSE);
    EXPECT_FALSE(button_->DroppedDown());
    OpenByClick();
    EXPECT_FALSE(button_->Floating());
    EXPECT_NE(GetWindowLongPtrW(palette, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    GetClientRect(palette, &client);
    EXPECT_EQ(client.bottom, 158);

    // Without DropDownMove there is no bar, so nothing to tear off.
    button_->CloseUp();
    button_->SetDropDownMove(false);
    OpenByClick();
    EXPECT_TRUE(IsRectEmpty(&button_->Layout().dragBar));
    GetClientRect(palette, &client);
    EXPECT_EQ(client.bottom, 151);
}

TEST_F(PickerHost, NearTheBottomRightCornerThePaletteOpensAboveAndEndsAtTheScreenEdge) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    Make(sw - 60, sh - 50, 32, 22);
    OpenByClick();
    RECT p;
    GetWindowRect(button_->PaletteWindow(), &p);
    const RECT b = ButtonScreenRect();
    EXPECT_EQ(p.right, sw);
    EXPECT_EQ(p.bottom, b.top);

    // Away from the edges it opens below the button, at its left edge.
    Make(100, 100, 32, 22);
    OpenByClick();
    GetWindowRect(button_->PaletteWindow(), &p);
    const RECT b2 = ButtonScreenRect();
    EXPECT_EQ(p.left, b2.left);
    EXPECT_EQ(p.top, b2.bottom);
}

TEST_F(PickerHost, TheButtonKeepsItsSmallestSize) {
    Make(40, 40, 10, 10);
    RECT r;
    GetWindowRect(button_->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 9 + 23);
    EXPECT_EQ(r.bottom - r.top, 22);
    button_->SetDropDownWidth(15);
    GetWindowRect(button_->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 15 + 23);
    button_->SetDropDownWidth(2);
    EXPECT_EQ(button_->DropDownWidth(), 9);
    SetWindowPos(button_->Handle(), nullptr, 0, 0, 60, 30, SWP_NOMOVE | SWP_NOZORDER);
    GetWindowRect(button_->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 60);
    EXPECT_EQ(r.bottom - r.top, 30);
}

TEST_F(PickerHost, LayoutValuesClearWordStyleAndADisabledButtonDoesNotOpen) {
    EXPECT_TRUE(button_->WordStyle());
    ui::PaletteMetrics m;
    m.ColorSize = 24;
    m.ButtonHeight = 10;
    button_->SetMetrics(m);
    EXPECT_FALSE(button_->WordStyle());
    EXPECT_EQ(button_->Metrics().ButtonHeight, 22);
    OpenByClick();
    RECT client;
    GetClientRect(button_->PaletteWindow(), &client);
    EXPECT_EQ(client.right, 14 + 8 * 24);
    button_->CloseUp();
    button_->SetWordStyle(true);
    EXPECT_EQ(button_->Metrics(), ui::PaletteMetrics{});

    button_->SetEnabled(false);
    const RECT r = ButtonScreenRect();
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    vt::PumpFor(150);
    EXPECT_FALSE(button_->DroppedDown());
}
