#include "base/configuration.h"

#include <cstring>

uint16_t DefaultHoldTime(unsigned doubleClickTime) {
    unsigned half = doubleClickTime / 2;
    if (half <= 200) half = 200;
    if (half > 1000) half = 1000;
    return static_cast<uint16_t>(half);
}

void SetDefaults(TConfiguration& c, const DefaultInputs& in) {
    static const char kScreenshot[] = "screenshot";

    c.HotkeysOn = 1;
    c.MouseActivation = 1;
    c.CaptureType = ctRectangle;
    c.HighlightColor = 0xFFE6E6;
    c.EdgeOn = 0;
    c.EdgeTorn = 1;
    c.EdgeSides = 6;
    c.EdgeDepth = 20;
    c.EdgeOutline = 1;
    c.EdgeOutlineColor = 0xC0C0C0;
    c.EdgeShadow = 1;
    c.EdgeShadowColor = 0x003333;
    c.EdgeBackgroundColor = 0xFFFFFF;

    c.AnnotationOn = 0;
    c.AnnotationText = "My annotation here";
    c.AnnotationFontName = "Tahoma";
    c.AnnotationFontSize = 8;
    c.AnnotationFontStyle = 1;
    c.AnnotationFontColor = 0x800000;
    c.AnnotationBackColor = 0x00FFFF;
    c.AnnotationBorderColor = 0x000000;
    c.AnnotationBorder = 1;
    c.AnnotationPosition.corner = scTopLeft;
    c.AnnotationPosition.x = 3;
    c.AnnotationPosition.y = 3;
    c.AnnotationOpacity = 70;

    c.WatermarkOn = 0;
    c.WatermarkFile = in.programFolder + "watermarks\\default.bmp";
    c.WatermarkPosition.corner = scBottomRight;
    c.WatermarkPosition.x = 3;
    c.WatermarkPosition.y = 3;
    c.WatermarkTransparent = 1;
    c.WatermarkOpacity = 80;

    for (auto& flag : c.SendTo) flag = 0;
    c.NoticeSound = 1;
    c.NoticeSlideIn = 1;
    c.RepeatMode = 0;
    c.ShowSize = 0;
    c.CaptureCursor = 0;
    c.CrosshairSize = 1;
    c.HoldTime = DefaultHoldTime(in.doubleClickTime);
    c.AutoScroll = 0;
    c.RectSelection = 0;
    c.LockFixedSize = 0;
    c.FixedWidth = 50;
    c.FixedHeight = 50;
    c.HkFreeHand = HotkeyCtrl | HotkeyShift | 112;
    c.HkRectangle = HotkeyCtrl | HotkeyShift | 113;
    c.HkWindow = HotkeyCtrl | HotkeyShift | 114;
    c.HkRepeat = HotkeyCtrl | HotkeyShift | 115;
    c.HkTimer = HotkeyCtrl | HotkeyShift | 116;

    c.FileNaming = fnAsk;
    c.FileName = kScreenshot;
    c.FileFormat = ifBMP;
    c.FileFolder = in.desktopFolder;
    c.EditorFileName = kScreenshot;
    c.EditorFormat = ifBMP;
    c.MailFileName = kScreenshot;
    c.MailFormat = ifGIF;
    c.WebNaming = fnFixed;
    c.WebFileName = kScreenshot;
    c.WebFormat = ifGIF;
    c.IMFileName = kScreenshot;
    c.IMFormat = ifGIF;
    c.IcqFileName = kScreenshot;
    c.IcqFormat = ifGIF;
    c.UseCustomEditor = in.editorProgramFound ? 0 : 1;
    c.CustomEditorPath = in.paintPath;
    c.CustomEditorCommandLine = "\"<CAPTURE>\"";

    c.MailTo.clear();
    c.MailSubject = "Image created by Vorlix Tessavue";
    c.MailClient = mcOutlookExpress;
    c.MailMethod = 1;
    c.SmtpFrom.clear();
    c.SmtpServer.clear();
    c.SmtpPort = 25;
    c.SmtpUserName.clear();
    c.SmtpPassword.clear();
    c.SmtpBody.clear();
    c.SmtpPreview = 1;
    c.SmtpProgress = 1;
    c.FtpServer.clear();
    c.FtpPath.clear();
    c.FtpPort = 21;
    c.FtpPassive = 0;
    c.FtpUserName.clear();
    c.FtpPassword.clear();
    c.FtpProgress = 1;
    c.ProxyServer.clear();
    c.ProxyPort = 0;
    c.IMContact.clear();
    c.IcqContact.number = 0;
    c.IcqContact.nick.clear();

    c.PrintOrientation = 1;
    c.PrintScaling = 1;
    c.TimerPeriod = 5;
    c.TimerUnit = 0;
    c.TimerSkipIdentical = 1;
    c.ZoomOn = 0;
    c.ZoomFactor = 2;
}

namespace {
bool SamePosition(const TStampPosition& a, const TStampPosition& b) {
    return a.corner == b.corner && a.x == b.x && a.y == b.y;
}
}  // namespace

bool SettingsEqual(const TConfiguration& a, const TConfiguration& b) {
    // 1. capture and edge effect
    if (a.HotkeysOn != b.HotkeysOn || a.MouseActivation != b.MouseActivation ||
        a.CaptureType != b.CaptureType || a.HighlightColor != b.HighlightColor ||
        a.EdgeOn != b.EdgeOn || a.EdgeTorn != b.EdgeTorn || a.EdgeSides != b.EdgeSides ||
        a.EdgeDepth != b.EdgeDepth || a.EdgeOutline != b.EdgeOutline ||
        a.EdgeOutlineColor != b.EdgeOutlineColor || a.EdgeShadow != b.EdgeShadow ||
        a.EdgeShadowColor != b.EdgeShadowColor || a.EdgeBackgroundColor != b.EdgeBackgroundColor)
        return false;
    // 2. annotation
    if (a.AnnotationOn != b.AnnotationOn || !SamePosition(a.AnnotationPosition, b.AnnotationPosition) ||
        !(a.AnnotationText == b.AnnotationText) || !(a.AnnotationFontName == b.AnnotationFontName) ||
        a.AnnotationFontSize != b.AnnotationFontSize || a.AnnotationFontStyle != b.AnnotationFontStyle ||
        a.AnnotationFontColor != b.AnnotationFontColor || a.AnnotationBackColor != b.AnnotationBackColor ||
        a.AnnotationBorderColor != b.AnnotationBorderColor || a.AnnotationBorder != b.AnnotationBorder ||
        a.AnnotationOpacity != b.AnnotationOpacity)
        return false;
    // 3. watermark
    if (a.WatermarkOn != b.WatermarkOn || !(a.WatermarkFile == b.WatermarkFile) ||
        !SamePosition(a.WatermarkPosition, b.WatermarkPosition) ||
        a.WatermarkTransparent != b.WatermarkTransparent || a.WatermarkOpacity != b.WatermarkOpacity)
        return false;
    // 4. destinations
    for (int i = 0; i < DestinationCount; ++i)
        if (a.SendTo[i] != b.SendTo[i]) return false;
    // 5. notices, selection aids, hotkeys
    if (a.NoticeSound != b.NoticeSound || a.NoticeSlideIn != b.NoticeSlideIn ||
        a.RepeatMode != b.RepeatMode || a.ShowSize != b.ShowSize ||
        a.CaptureCursor != b.CaptureCursor || a.CrosshairSize != b.CrosshairSize ||
        a.AutoScroll != b.AutoScroll || a.HkFreeHand != b.HkFreeHand ||
        a.HkRectangle != b.HkRectangle || a.HkWindow != b.HkWindow || a.HkRepeat != b.HkRepeat ||
        a.HkTimer != b.HkTimer || a.HoldTime != b.HoldTime)
        return false;
    // 6. files, editor, mail addressing
    if (a.FileNaming != b.FileNaming || !(a.FileName == b.FileName) || a.FileFormat != b.FileFormat ||
        !(a.FileFolder == b.FileFolder) || !(a.EditorFileName == b.EditorFileName) ||
        a.EditorFormat != b.EditorFormat || !(a.MailFileName == b.MailFileName) ||
        a.MailFormat != b.MailFormat || a.WebNaming != b.WebNaming ||
        !(a.WebFileName == b.WebFileName) || a.WebFormat != b.WebFormat ||
        !(a.IcqFileName == b.IcqFileName) || a.IcqFormat != b.IcqFormat ||
        !(a.IMFileName == b.IMFileName) || a.IMFormat != b.IMFormat ||
        a.UseCustomEditor != b.UseCustomEditor || !(a.CustomEditorPath == b.CustomEditorPath) ||
        !(a.CustomEditorCommandLine == b.CustomEditorCommandLine) || !(a.MailTo == b.MailTo) ||
        !(a.MailSubject == b.MailSubject) || a.MailClient != b.MailClient ||
        a.MailMethod != b.MailMethod)
        return false;
    // 7. contacts, printing, timer, magnifier
    if (!(a.IMContact == b.IMContact) || a.IcqContact.number != b.IcqContact.number ||
        !(a.IcqContact.nick == b.IcqContact.nick) || a.PrintScaling != b.PrintScaling ||
        a.PrintOrientation != b.PrintOrientation || a.TimerPeriod != b.TimerPeriod ||
        a.TimerUnit != b.TimerUnit || a.TimerSkipIdentical != b.TimerSkipIdentical ||
        a.ZoomOn != b.ZoomOn || a.ZoomFactor != b.ZoomFactor)
        return false;
    // 8, 9. rectangle mode, and the fixed size only where it is in use
    if (a.LockFixedSize != b.LockFixedSize || a.RectSelection != b.RectSelection) return false;
    if (a.RectSelection == 1 && (a.FixedWidth != b.FixedWidth || a.FixedHeight != b.FixedHeight))
        return false;
    return true;
}

TDestinations DestinationsOf(const TConfiguration& c) {
    TDestinations set = 0;
    for (int i = 0; i < DestinationCount; ++i)
        if (c.SendTo[i] != 0) set |= static_cast<TDestinations>(1u << i);
    return set;
}

bool RecordFromStoredValue(uint32_t type, const void* value, size_t size, TConfiguration& record) {
    if (type != StoredRecordType || size != sizeof record || !value) return false;
    std::memcpy(&record, value, sizeof record);
    return true;
}
