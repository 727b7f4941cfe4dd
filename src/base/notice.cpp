#include "base/notice.h"

#include <windows.h>
#include <mmsystem.h>

#include "base/globals.h"
#include "base/texts.h"
#include "base/files.h"
#include "ui/gdi.h"
#include "ui/text_convert.h"
#include "ui/window.h"

namespace {

NoticeStrip* Strip = nullptr;

HWND StripWindow() { return Strip ? Strip->NoticeWindow() : nullptr; }

ui::FontHandle& TheNoticeFont() {
    static ui::FontHandle font = ui::CreateFontByName(L"Verdana", -txt::NoticeFontHeight);
    return font;
}

// Topmost and never activated: the notice shows above everything while the
// window the user works in keeps the foreground and the keyboard.
void MoveStrip(int left) {
    SetWindowPos(StripWindow(), HWND_TOPMOST, left, 3, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }

}  // namespace

void SetNoticeStrip(NoticeStrip* strip) { Strip = strip; }

HFONT NoticeFont() { return TheNoticeFont().get(); }

void PaintNotice(HDC dc) {
    RECT r{0, 0, NoticeWidth, NoticeHeight};
    ui::BrushHandle brush(CreateSolidBrush(0x80FFFF));
    FillRect(dc, &r, brush);
    if (!Strip) return;
    ui::Selection font(dc, NoticeFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 255));
    TextOutW(dc, Strip->noticeLeft, 1, Strip->noticeText.c_str(), static_cast<int>(Strip->noticeText.size()));
}

void SetNoticeText(const std::wstring& text) {
    if (!Strip) return;
    const HWND window = Strip->NoticeWindow();
    Strip->noticeText = text;
    // Centre the label: its width is the text's extent in the notice font
    // (the window itself keeps no font: WM_GETFONT of a plain window is null).
    int width = 0;
    if (HDC dc = GetDC(window)) {
        HFONT font = NoticeFont();
        HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        width = size.cx;
        if (old) SelectObject(dc, old);
        ReleaseDC(window, dc);
    }
    Strip->noticeLeft = (NoticeWidth - width) / 2;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void HideNotice() { MoveStrip(-NoticeWidth); }

namespace {
bool PlayAsync(const std::wstring& path) { return sndPlaySoundW(path.c_str(), SND_ASYNC | SND_NODEFAULT) != FALSE; }
}  // namespace

bool (*NoticeSoundPlayer)(const std::wstring& path) = &PlayAsync;

void PlayNotifySound() {
    const std::wstring sound = ProgramFolder + L"Sound.wav";
    if (FileExists(sound) && NoticeSoundPlayer) NoticeSoundPlayer(sound);
}

void ShowNotice() {
    if (Config.NoticeSound) PlayNotifySound();
    if (!Config.NoticeSlideIn) {
        const std::wstring text = Strip ? ui::LowerCase(Strip->noticeText) : std::wstring();
        if (text.find(ui::LowerCase(txt::TimerNoticeMark)) == std::wstring::npos) return;
    }
    const int screen = ScreenWidth();
    int left = screen;
    MoveStrip(left);
    while (left > screen - NoticeWidth - 10) {
        MoveStrip(--left);
        ui::ProcessMessages();
    }
    ui::WaitPumping(350);
    HideNotice();
    ui::ProcessMessages();
}

void NotifyTimerOn() {
    HideNotice();
    SetNoticeText(txt::NoticeTimerOn);
    ShowNotice();
}

void NotifyTimerOff() {
    HideNotice();
    SetNoticeText(txt::NoticeTimerOff);
    ShowNotice();
}

void NotifyCancelled() {
    SetNoticeText(txt::NoticeCancelled);
    int left = -NoticeWidth;
    MoveStrip(left);
    while (left <= 9) {
        MoveStrip(++left);
        ui::ProcessMessages();
    }
    ui::WaitPumping(350);
    HideNotice();
}
