// The settings record's defaults as the program documents them, written out
// as the stored bytes at their offsets. Tests read a record through this
// table, not through the record's own fields or the code that fills them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace documented {

// What the defaults depend on: the machine's folders and programs.
struct Machine {
    std::string programFolder;   // ends in a backslash
    std::string desktopFolder;   // ends in a backslash
    std::string paintPath;       // empty when Paint is not found
    bool makersEditorFound = false;
    uint16_t holdTime = 250;     // from the double-click time
};

inline constexpr size_t RecordSize = 6492;

// Offsets of the destination flags (Clipboard, File, Editor, Zovozu, Mail, ...).
inline constexpr size_t SendToClipboard = 0x348, SendToFile = 0x349, SendToEditor = 0x34A, SendToZovozu = 0x34B,
                        SendToMail = 0x34C;

// Checks every field of a stored record (RecordSize bytes) against its
// documented default, or against the value that changes gives for the
// number at that offset.
inline void ExpectDefaults(const uint8_t* bytes, const Machine& m, const std::map<size_t, uint32_t>& changes = {}) {
    struct Number { size_t offset, width; uint32_t value; const char* name; };
    const Number numbers[] = {
        {0x000, 1, 1, "HotkeysOn"},          {0x001, 1, 1, "MouseActivation"},
        {0x002, 1, 2, "CaptureType"},        {0x004, 4, 0xFFE6E6, "HighlightColor"},
        {0x008, 1, 0, "EdgeOn"},             {0x009, 1, 1, "EdgeTorn"},
        {0x00A, 1, 6, "EdgeSides"},          {0x00B, 1, 20, "EdgeDepth"},
        {0x00C, 1, 1, "EdgeOutline"},        {0x010, 4, 0xC0C0C0, "EdgeOutlineColor"},
        {0x014, 1, 1, "EdgeShadow"},         {0x018, 4, 0x003333, "EdgeShadowColor"},
        {0x01C, 4, 0xFFFFFF, "EdgeBackgroundColor"},
        {0x020, 1, 0, "AnnotationOn"},       {0x217, 1, 8, "AnnotationFontSize"},
        {0x218, 1, 1, "AnnotationFontStyle"}, {0x21C, 4, 0x800000, "AnnotationFontColor"},
        {0x220, 4, 0x00FFFF, "AnnotationBackColor"}, {0x224, 4, 0x000000, "AnnotationBorderColor"},
        {0x228, 1, 1, "AnnotationBorder"},   {0x22C, 1, 1, "AnnotationPosition.corner"},
        {0x230, 4, 3, "AnnotationPosition.x"}, {0x234, 4, 3, "AnnotationPosition.y"},
        {0x238, 1, 70, "AnnotationOpacity"}, {0x23C, 1, 0, "WatermarkOn"},
        {0x338, 1, 4, "WatermarkPosition.corner"}, {0x33C, 4, 3, "WatermarkPosition.x"},
        {0x340, 4, 3, "WatermarkPosition.y"}, {0x344, 1, 1, "WatermarkTransparent"},
        {0x345, 1, 80, "WatermarkOpacity"},  {0x352, 1, 1, "NoticeSound"},
        {0x353, 1, 1, "NoticeSlideIn"},      {0x354, 1, 0, "RepeatMode"},
        {0x355, 1, 0, "ShowSize"},           {0x356, 1, 0, "CaptureCursor"},
        {0x357, 1, 1, "CrosshairSize"},      {0x358, 2, m.holdTime, "HoldTime"},
        {0x35A, 1, 0, "AutoScroll"},         {0x35C, 1, 0, "RectSelection"},
        {0x35D, 1, 0, "LockFixedSize"},      {0x35E, 2, 50, "FixedWidth"},
        {0x360, 2, 50, "FixedHeight"},       {0x362, 2, 0x6070, "HkFreeHand (Ctrl+Shift+F1)"},
        {0x364, 2, 0x6071, "HkRectangle"},   {0x366, 2, 0x6072, "HkWindow"},
        {0x368, 2, 0x6073, "HkRepeat"},      {0x36A, 2, 0x6074, "HkTimer"},
        {0x36C, 1, 0, "FileNaming"},         {0x468, 1, 1, "FileFormat"},
        {0x65F, 1, 1, "EditorFormat"},       {0x75B, 1, 3, "MailFormat"},
        {0x75C, 1, 1, "WebNaming"},          {0x858, 1, 3, "WebFormat"},
        {0x954, 1, 3, "IMFormat"},           {0xA50, 1, 3, "IcqFormat"},
        {0xA51, 1, m.makersEditorFound ? 0u : 1u, "UseCustomEditor"},
        {0xE3E, 1, 2, "MailClient"},         {0xE3F, 1, 1, "MailMethod"},
        {0x1036, 1, 25, "SmtpPort"},         {0x1328, 1, 1, "SmtpPreview"},
        {0x1329, 1, 1, "SmtpProgress"},      {0x1520, 1, 21, "FtpPort"},
        {0x1521, 1, 0, "FtpPassive"},        {0x1718, 1, 1, "FtpProgress"},
        {0x1814, 1, 0, "ProxyPort"},         {0x1918, 4, 0, "IcqContact.number"},
        {0x1950, 1, 1, "PrintOrientation"},  {0x1951, 1, 1, "PrintScaling"},
        {0x1952, 2, 5, "TimerPeriod"},       {0x1954, 1, 0, "TimerUnit"},
        {0x1956, 1, 1, "TimerSkipIdentical"}, {0x1958, 1, 0, "ZoomOn"},
        {0x1959, 1, 2, "ZoomFactor"},
    };
    size_t changed = 0;
    auto expect = [&](size_t offset, size_t width, uint32_t value, const std::string& name) {
        const auto change = changes.find(offset);
        if (change != changes.end()) {
            value = change->second;
            ++changed;
        }
        uint32_t v = 0;
        for (size_t i = 0; i < width; ++i) v |= uint32_t(bytes[offset + i]) << (8 * i);
        EXPECT_EQ(v, value) << name << " at 0x" << std::hex << offset;
    };
    for (const Number& n : numbers) expect(n.offset, n.width, n.value, n.name);
    for (size_t d = 0; d < 10; ++d) expect(0x348 + d, 1, 0, "SendTo flag " + std::to_string(d));
    EXPECT_EQ(changed, changes.size()) << "a change names no field";

    struct Text { size_t offset, capacity; std::string value; const char* name; };
    auto cut = [](std::string s) { return s.size() > 250 ? s.substr(0, 250) : s; };
    const Text texts[] = {
        {0x021, 250, "My annotation here", "AnnotationText"},
        {0x11C, 250, "Tahoma", "AnnotationFontName"},
        {0x23D, 250, cut(m.programFolder + "watermarks\\default.bmp"), "WatermarkFile"},
        {0x36D, 250, "screenshot", "FileName"},
        {0x469, 250, cut(m.desktopFolder), "FileFolder"},
        {0x564, 250, "screenshot", "EditorFileName"},
        {0x660, 250, "screenshot", "MailFileName"},
        {0x75D, 250, "screenshot", "WebFileName"},
        {0x859, 250, "screenshot", "IMFileName"},
        {0x955, 250, "screenshot", "IcqFileName"},
        {0xA52, 250, m.paintPath, "CustomEditorPath"},
        {0xB4D, 250, "\"<CAPTURE>\"", "CustomEditorCommandLine"},
        {0xC48, 250, "", "MailTo"},
        {0xD43, 250, "Image created by Vorlix Tessavue", "MailSubject"},
        {0xE40, 250, "", "SmtpFrom"},        {0xF3B, 250, "", "SmtpServer"},
        {0x1037, 250, "", "SmtpUserName"},   {0x1132, 250, "", "SmtpPassword"},
        {0x122D, 250, "", "SmtpBody"},       {0x132A, 250, "", "FtpServer"},
        {0x1425, 250, "", "FtpPath"},        {0x1522, 250, "", "FtpUserName"},
        {0x161D, 250, "", "FtpPassword"},    {0x1719, 250, "", "ProxyServer"},
        {0x1815, 255, "", "IMContact"},      {0x191C, 50, "", "IcqContact.nick"},
    };
    for (const Text& t : texts) {
        const size_t length = bytes[t.offset];
        EXPECT_LE(length, t.capacity) << t.name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + t.offset + 1), std::min(length, t.capacity)),
                  t.value)
            << t.name << " at 0x" << std::hex << t.offset;
    }
}

}  // namespace documented
