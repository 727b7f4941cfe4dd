// The notice strip (the main window itself) and its sound.
#pragma once

#include <string>

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
