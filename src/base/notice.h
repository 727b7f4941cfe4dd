// The notice strip and its sound: a small yellow label that slides in at the
// top right of the screen to tell the user something (the timer switched on
// or off, a capture cancelled). This unit draws the label into the window it
// is given and moves that window; it knows nothing else of it (the program's
// main window doubles as the strip).
#pragma once

#include <windows.h>

#include <string>

constexpr int NoticeWidth = 138;
constexpr int NoticeHeight = 15;

// What the strip shows. The window that serves as the strip derives from it
// and gives itself with SetNoticeStrip.
class NoticeStrip {
public:
    std::wstring noticeText;
    int noticeLeft = 0;  // where the text starts: centred in the strip
    virtual HWND NoticeWindow() const = 0;

protected:
    ~NoticeStrip() = default;
};

// The strip the notices go to; null (the default): notices show nothing.
void SetNoticeStrip(NoticeStrip* strip);
// The strip's picture, for its WM_PAINT: the label and its text.
void PaintNotice(HDC dc);
// The font of the notice text (Verdana, 9 pixels).
HFONT NoticeFont();

void SetNoticeText(const std::wstring& text);
void ShowNotice();
void HideNotice();
void NotifyTimerOn();
void NotifyTimerOff();
void NotifyCancelled();
void PlayNotifySound();

// Plays a sound file without waiting for it (sndPlaySound); true when the
// system took it. Replaceable, so that the sound rule can be checked where
// no sound device exists.
extern bool (*NoticeSoundPlayer)(const std::wstring& path);
