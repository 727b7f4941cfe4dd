#include <gtest/gtest.h>

#include <cstring>

#include "base/configuration.h"
#include "support/documented_defaults.h"

namespace {

struct Offset {
    const char* name;
    size_t offset;
    size_t expected;
};

#define AT(field, off) Offset{#field, offsetof(TConfiguration, field), off}

TEST(Configuration, EveryFieldSitsAtItsStoredOffset) {
    const Offset table[] = {
        AT(HotkeysOn, 0x000), AT(MouseActivation, 0x001), AT(CaptureType, 0x002),
        AT(HighlightColor, 0x004), AT(EdgeOn, 0x008), AT(EdgeTorn, 0x009), AT(EdgeSides, 0x00A),
        AT(EdgeDepth, 0x00B), AT(EdgeOutline, 0x00C), AT(EdgeOutlineColor, 0x010),
        AT(EdgeShadow, 0x014), AT(EdgeShadowColor, 0x018), AT(EdgeBackgroundColor, 0x01C),
        AT(AnnotationOn, 0x020), AT(AnnotationText, 0x021), AT(AnnotationFontName, 0x11C),
        AT(AnnotationFontSize, 0x217), AT(AnnotationFontStyle, 0x218), AT(AnnotationFontColor, 0x21C),
        AT(AnnotationBackColor, 0x220), AT(AnnotationBorderColor, 0x224), AT(AnnotationBorder, 0x228),
        AT(AnnotationPosition, 0x22C), AT(AnnotationOpacity, 0x238), AT(WatermarkOn, 0x23C),
        AT(WatermarkFile, 0x23D), AT(WatermarkPosition, 0x338), AT(WatermarkTransparent, 0x344),
        AT(WatermarkOpacity, 0x345), AT(SendTo, 0x348), AT(NoticeSound, 0x352),
        AT(NoticeSlideIn, 0x353), AT(RepeatMode, 0x354), AT(ShowSize, 0x355),
        AT(CaptureCursor, 0x356), AT(CrosshairSize, 0x357), AT(HoldTime, 0x358),
        AT(AutoScroll, 0x35A), AT(RectSelection, 0x35C), AT(LockFixedSize, 0x35D),
        AT(FixedWidth, 0x35E), AT(FixedHeight, 0x360), AT(HkFreeHand, 0x362),
        AT(HkRectangle, 0x364), AT(HkWindow, 0x366), AT(HkRepeat, 0x368), AT(HkTimer, 0x36A),
        AT(FileNaming, 0x36C), AT(FileName, 0x36D), AT(FileFormat, 0x468), AT(FileFolder, 0x469),
        AT(EditorFileName, 0x564), AT(EditorFormat, 0x65F), AT(MailFileName, 0x660),
        AT(MailFormat, 0x75B), AT(WebNaming, 0x75C), AT(WebFileName, 0x75D), AT(WebFormat, 0x858),
        AT(IMFileName, 0x859), AT(IMFormat, 0x954), AT(IcqFileName, 0x955), AT(IcqFormat, 0xA50),
        AT(UseCustomEditor, 0xA51), AT(CustomEditorPath, 0xA52), AT(CustomEditorCommandLine, 0xB4D),
        AT(MailTo, 0xC48), AT(MailSubject, 0xD43), AT(MailClient, 0xE3E), AT(MailMethod, 0xE3F),
        AT(SmtpFrom, 0xE40), AT(SmtpServer, 0xF3B), AT(SmtpPort, 0x1036), AT(SmtpUserName, 0x1037),
        AT(SmtpPassword, 0x1132), AT(SmtpBody, 0x122D), AT(SmtpPreview, 0x1328),
        AT(SmtpProgress, 0x1329), AT(FtpServer, 0x132A), AT(FtpPath, 0x1425), AT(FtpPort, 0x1520),
        AT(FtpPassive, 0x1521), AT(FtpUserName, 0x1522), AT(FtpPassword, 0x161D),
        AT(FtpProgress, 0x1718), AT(ProxyServer, 0x1719), AT(ProxyPort, 0x1814),
        AT(IMContact, 0x1815), AT(IcqContact, 0x1918), AT(PrintOrientation, 0x1950),
        AT(PrintScaling, 0x1951), AT(TimerPeriod, 0x1952), AT(TimerUnit, 0x1954),
        AT(TimerSkipIdentical, 0x1956), AT(ZoomOn, 0x1958), AT(ZoomFactor, 0x1959),
    };
    for (const auto& row : table) EXPECT_EQ(row.offset, row.expected) << row.name;
    EXPECT_EQ(sizeof(TConfiguration), 6492u);
    EXPECT_EQ(offsetof(TStampPosition, x), 4u);
    EXPECT_EQ(offsetof(TIcqContact, nick), 4u);
    EXPECT_EQ(sizeof(TIcqContact), 56u);
}

DefaultInputs Inputs(unsigned dblclick = 500) {
    DefaultInputs in;
    in.doubleClickTime = dblclick;
    in.programFolder = "C:\\Program Files\\Vorlix\\";
    in.desktopFolder = "C:\\users\\me\\Desktop\\";
    in.editorProgramFound = false;
    in.paintPath = "C:\\windows\\system32\\mspaint.exe";
    return in;
}

TConfiguration Defaults(unsigned dblclick = 500) {
    TConfiguration c;
    std::memset(&c, 0xAB, sizeof c);
    SetDefaults(c, Inputs(dblclick));
    return c;
}

TEST(Configuration, HoldTimeIsHalfTheDoubleClickTimeWithinItsBounds) {
    const struct { unsigned dblclick; uint16_t hold; } cases[] = {
        {500, 250}, {300, 200}, {2500, 1000}, {401, 200}, {403, 201}, {0, 200}, {2001, 1000}, {1998, 999}};
    for (auto c : cases) EXPECT_EQ(Defaults(c.dblclick).HoldTime, c.hold) << c.dblclick;
}

TEST(Configuration, DefaultsHoldTheStoredBytes) {
    const TConfiguration c = Defaults();
    const auto* bytes = reinterpret_cast<const uint8_t*>(&c);
    EXPECT_EQ(bytes[0x002], 2);                    // rectangle
    EXPECT_EQ(c.HighlightColor, 0xFFE6E6u);
    EXPECT_EQ(c.AnnotationText.str(), "My annotation here");
    EXPECT_EQ(bytes[0x021], 18);                   // its length byte
    EXPECT_EQ(c.AnnotationFontName.str(), "Tahoma");
    EXPECT_EQ(c.WatermarkFile.str(), "C:\\Program Files\\Vorlix\\watermarks\\default.bmp");
    EXPECT_EQ(c.FileFolder.str(), "C:\\users\\me\\Desktop\\");
    EXPECT_EQ(c.CustomEditorCommandLine.str(), "\"<CAPTURE>\"");
    EXPECT_EQ(c.CustomEditorCommandLine.size(), 11);
    EXPECT_EQ(c.MailSubject.str(), "Image created by Vorlix Tessavue");
    EXPECT_EQ(c.UseCustomEditor, 1);               // the maker's editor was not found
    EXPECT_EQ(c.CustomEditorPath.str(), "C:\\windows\\system32\\mspaint.exe");
    EXPECT_EQ(bytes[0x362] | bytes[0x363] << 8, 0x6070);  // Ctrl+Shift+F1
    EXPECT_EQ(c.HkTimer, 0x6074);
    EXPECT_EQ(c.CursorData(), 0x0100);
    EXPECT_EQ(c.MailFormat, ifGIF);
    EXPECT_EQ(c.WebNaming, fnFixed);
    EXPECT_EQ(c.SmtpPort, 25);
    EXPECT_EQ(c.FtpPort, 21);
    EXPECT_TRUE(c.SmtpServer.empty());
    EXPECT_EQ(c.IcqContact.number, 0u);
    EXPECT_TRUE(c.IcqContact.nick.empty());
    EXPECT_EQ(c.ZoomFactor, 2);
    EXPECT_EQ(DestinationsOf(c), 0);
    EXPECT_EQ(bytes[0x003], 0xAB) << "pads are never written";
    EXPECT_EQ(bytes[0x195A], 0xAB);

    DefaultInputs in = Inputs();
    in.editorProgramFound = true;
    in.paintPath.clear();
    TConfiguration d;
    SetDefaults(d, in);
    EXPECT_EQ(d.UseCustomEditor, 0);
    EXPECT_TRUE(d.CustomEditorPath.empty());
}

// Every field of the record, read as stored bytes, against the documented
// defaults; both ways the maker's editor can be found.
TEST(Configuration, EveryFieldHoldsItsDocumentedDefault) {
    const DefaultInputs in = Inputs();
    documented::Machine m;
    m.programFolder = in.programFolder;
    m.desktopFolder = in.desktopFolder;
    m.paintPath = in.paintPath;
    m.makersEditorFound = false;
    m.holdTime = 250;
    const TConfiguration c = Defaults();
    static_assert(sizeof c == documented::RecordSize);
    documented::ExpectDefaults(reinterpret_cast<const uint8_t*>(&c), m);

    DefaultInputs found = in;
    found.editorProgramFound = true;
    found.paintPath.clear();
    TConfiguration d;
    std::memset(&d, 0, sizeof d);
    SetDefaults(d, found);
    m.makersEditorFound = true;
    m.paintPath.clear();
    documented::ExpectDefaults(reinterpret_cast<const uint8_t*>(&d), m);
}

TEST(Configuration, LongFolderNamesAreCutToTheField) {
    DefaultInputs in = Inputs();
    in.programFolder = std::string(300, 'p');
    in.desktopFolder = std::string(260, 'd');
    TConfiguration c;
    std::memset(&c, 0, sizeof c);
    SetDefaults(c, in);
    EXPECT_EQ(c.WatermarkFile.size(), 250);
    EXPECT_EQ(c.FileFolder.str(), std::string(250, 'd'));
    EXPECT_EQ(c.FileFormat, ifBMP) << "the byte behind the cut field is untouched";
}

TEST(Configuration, SettingsEqualFollowsTheFieldRules) {
    const TConfiguration base = Defaults();
    struct Case {
        const char* what;
        void (*change)(TConfiguration&);
        bool equal;
    };
    const Case cases[] = {
        {"SMTP password", [](TConfiguration& c) { c.SmtpPassword = "secret"; }, true},
        {"FTP server", [](TConfiguration& c) { c.FtpServer = "ftp.example"; }, true},
        {"proxy port", [](TConfiguration& c) { c.ProxyPort = 8; }, true},
        {"SMTP preview", [](TConfiguration& c) { c.SmtpPreview = 0; }, true},
        {"pad byte", [](TConfiguration& c) { c.pad003 = 7; c.pad195A[1] = 9; }, true},
        {"fixed width while dragging", [](TConfiguration& c) { c.FixedWidth = 77; }, true},
        {"bytes behind a string", [](TConfiguration& c) { c.AnnotationText.chars[40] ^= 1; }, true},
        {"Web flag", [](TConfiguration& c) { c.SendTo[dWeb] = 1; }, false},
        {"Custom flag", [](TConfiguration& c) { c.SendTo[dCustom] = 1; }, false},
        {"annotation text", [](TConfiguration& c) { c.AnnotationText = "My annotation herE"; }, false},
        {"annotation text length", [](TConfiguration& c) { c.AnnotationText.length = 3; }, false},
        {"annotation corner", [](TConfiguration& c) { c.AnnotationPosition.corner = 2; }, false},
        {"watermark y", [](TConfiguration& c) { c.WatermarkPosition.y = 4; }, false},
        {"hold time", [](TConfiguration& c) { c.HoldTime = 300; }, false},
        {"timer hotkey", [](TConfiguration& c) { c.HkTimer = 0x6075; }, false},
        {"IM contact", [](TConfiguration& c) { c.IMContact = "a@b"; }, false},
        {"ICQ nick", [](TConfiguration& c) { c.IcqContact.nick = "n"; }, false},
        {"ICQ number", [](TConfiguration& c) { c.IcqContact.number = 5; }, false},
        {"zoom factor", [](TConfiguration& c) { c.ZoomFactor = 4; }, false},
        {"mail client", [](TConfiguration& c) { c.MailClient = 7; }, false},
        {"mail to", [](TConfiguration& c) { c.MailTo = "x@y"; }, false},
        {"lock fixed size", [](TConfiguration& c) { c.LockFixedSize = 1; }, false},
        {"custom editor", [](TConfiguration& c) { c.CustomEditorPath = "x"; }, false},
        {"print orientation", [](TConfiguration& c) { c.PrintOrientation = 2; }, false},
    };
    for (const auto& k : cases) {
        TConfiguration b = base;
        k.change(b);
        EXPECT_EQ(SettingsEqual(base, b), k.equal) << k.what;
    }

    // The fixed size counts only when the first record uses it.
    TConfiguration a = base, b = base;
    a.RectSelection = b.RectSelection = 1;
    b.FixedWidth = 51;
    EXPECT_FALSE(SettingsEqual(a, b));
    b.FixedWidth = a.FixedWidth;
    b.FixedHeight = 99;
    EXPECT_FALSE(SettingsEqual(a, b));
}

TEST(Configuration, ShortStringsCompareByLengthAndContent) {
    ShortString<250> a{}, b{};
    a = "abc";
    std::memset(b.chars, 'z', sizeof b.chars);
    b = "abc";
    EXPECT_TRUE(a == b);
    a.length = 255;  // a corrupt length byte reads as the whole field, never beyond
    EXPECT_EQ(a.size(), 250);
}

}  // namespace
