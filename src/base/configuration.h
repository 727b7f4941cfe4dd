// The settings record. The live settings and every saved setting set are this
// record, stored byte for byte as one 6492-byte binary registry value, so the
// layout below is fixed: little-endian, dwords on 4-byte and words on 2-byte
// boundaries, the gaps spelled out as pad fields.
//
// This unit needs no Win32: the values that the defaults take from the system
// come in through DefaultInputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/short_string.h"

using TColor = uint32_t;  // $00BBGGRR

enum TCaptureType : uint8_t { ctFreeHand = 1, ctRectangle = 2, ctWindow = 3 };

enum TDestination : int {
    dClipboard = 0, dFile, dEditor, dZovozu, dMail, dWeb, dIM, dICQ, dPrinter, dCustom,
    DestinationCount
};
using TDestinations = uint16_t;  // bit i = destination i
constexpr TDestinations DestinationBit(TDestination d) { return static_cast<TDestinations>(1u << d); }

enum TImageFormat : uint8_t { ifUnknown = 0, ifBMP = 1, ifJPEG = 2, ifGIF = 3, ifPNG = 4 };
enum TFileNaming : uint8_t { fnAsk = 0, fnFixed = 1, fnNumbered = 2 };
enum TMailClient : uint8_t {
    mcOutlook = 1, mcOutlookExpress, mcNetscape, mcEudora, mcIncrediMail, mcLotusNotes, mcSmtp
};
enum TStampCorner : uint8_t {
    scTopLeft = 1, scTopRight = 2, scBottomLeft = 3, scBottomRight = 4, scCentre = 5
};

// Hotkey word: key code in the low byte, plus these modifier bits.
constexpr uint16_t HotkeyShift = 0x2000;
constexpr uint16_t HotkeyCtrl = 0x4000;
constexpr uint16_t HotkeyAlt = 0x8000;

#pragma pack(push, 1)
struct TStampPosition {
    uint8_t corner;  // TStampCorner
    uint8_t pad[3];
    int32_t x;
    int32_t y;
};

struct TIcqContact {
    uint32_t number;
    ShortString<50> nick;
    uint8_t pad;
};

struct TConfiguration {
    uint8_t HotkeysOn;
    uint8_t MouseActivation;
    uint8_t CaptureType;
    uint8_t pad003;
    TColor HighlightColor;
    uint8_t EdgeOn;
    uint8_t EdgeTorn;
    uint8_t EdgeSides;  // 1 top, 2 right, 4 bottom, 8 left
    uint8_t EdgeDepth;
    uint8_t EdgeOutline;
    uint8_t pad00D[3];
    TColor EdgeOutlineColor;
    uint8_t EdgeShadow;
    uint8_t pad015[3];
    TColor EdgeShadowColor;
    TColor EdgeBackgroundColor;
    uint8_t AnnotationOn;
    ShortString<250> AnnotationText;
    ShortString<250> AnnotationFontName;
    uint8_t AnnotationFontSize;
    uint8_t AnnotationFontStyle;  // 1 bold, 2 italic, 4 underline, 8 strike-out
    uint8_t pad219[3];
    TColor AnnotationFontColor;
    TColor AnnotationBackColor;
    TColor AnnotationBorderColor;
    uint8_t AnnotationBorder;
    uint8_t pad229[3];
    TStampPosition AnnotationPosition;
    uint8_t AnnotationOpacity;
    uint8_t pad239[3];
    uint8_t WatermarkOn;
    ShortString<250> WatermarkFile;
    TStampPosition WatermarkPosition;
    uint8_t WatermarkTransparent;
    uint8_t WatermarkOpacity;
    uint8_t pad346[2];
    uint8_t SendTo[DestinationCount];
    uint8_t NoticeSound;
    uint8_t NoticeSlideIn;
    uint8_t RepeatMode;
    uint8_t ShowSize;
    uint8_t CaptureCursor;   // low byte of the cursor-data word
    uint8_t CrosshairSize;   // high byte: 1 regular, 2 large
    uint16_t HoldTime;
    uint8_t AutoScroll;
    uint8_t pad35B;
    uint8_t RectSelection;
    uint8_t LockFixedSize;
    uint16_t FixedWidth;
    uint16_t FixedHeight;
    uint16_t HkFreeHand;
    uint16_t HkRectangle;
    uint16_t HkWindow;
    uint16_t HkRepeat;
    uint16_t HkTimer;
    uint8_t FileNaming;
    ShortString<250> FileName;
    uint8_t FileFormat;
    ShortString<250> FileFolder;
    ShortString<250> EditorFileName;
    uint8_t EditorFormat;
    ShortString<250> MailFileName;
    uint8_t MailFormat;
    uint8_t WebNaming;
    ShortString<250> WebFileName;
    uint8_t WebFormat;
    ShortString<250> IMFileName;
    uint8_t IMFormat;
    ShortString<250> IcqFileName;
    uint8_t IcqFormat;
    uint8_t UseCustomEditor;
    ShortString<250> CustomEditorPath;
    ShortString<250> CustomEditorCommandLine;
    ShortString<250> MailTo;
    ShortString<250> MailSubject;
    uint8_t MailClient;
    uint8_t MailMethod;  // 1 embedded, 2 attached
    ShortString<250> SmtpFrom;
    ShortString<250> SmtpServer;
    uint8_t SmtpPort;
    ShortString<250> SmtpUserName;
    ShortString<250> SmtpPassword;
    ShortString<250> SmtpBody;
    uint8_t SmtpPreview;
    uint8_t SmtpProgress;
    ShortString<250> FtpServer;
    ShortString<250> FtpPath;
    uint8_t FtpPort;
    uint8_t FtpPassive;
    ShortString<250> FtpUserName;
    ShortString<250> FtpPassword;
    uint8_t FtpProgress;
    ShortString<250> ProxyServer;
    uint8_t ProxyPort;
    ShortString<255> IMContact;
    uint8_t pad1915[3];
    TIcqContact IcqContact;
    uint8_t PrintOrientation;
    uint8_t PrintScaling;
    uint16_t TimerPeriod;
    uint8_t TimerUnit;
    uint8_t pad1955;
    uint8_t TimerSkipIdentical;
    uint8_t pad1957;
    uint8_t ZoomOn;
    uint8_t ZoomFactor;
    uint8_t pad195A[2];

    // The cursor-data word handed to the hook library: CaptureCursor in the
    // low byte, CrosshairSize in the high byte.
    uint16_t CursorData() const { return static_cast<uint16_t>(CaptureCursor | (CrosshairSize << 8)); }
};
#pragma pack(pop)

constexpr size_t ConfigurationSize = 6492;
static_assert(sizeof(TStampPosition) == 12);
static_assert(sizeof(TIcqContact) == 56);
static_assert(sizeof(TConfiguration) == ConfigurationSize);
static_assert(offsetof(TConfiguration, ZoomFactor) == 0x1959);

// What the defaults take from the running system.
struct DefaultInputs {
    unsigned doubleClickTime = 500;  // ms
    std::string programFolder;       // ANSI, ending in "\"
    std::string desktopFolder;       // ANSI, ending in "\"
    bool editorProgramFound = false; // the maker's editor program is installed
    std::string paintPath;           // ANSI, empty when Paint was not found
};

uint16_t DefaultHoldTime(unsigned doubleClickTime);

// Writes every field's default; pad bytes are left as they are.
void SetDefaults(TConfiguration& c, const DefaultInputs& in);

// Field-by-field equality: pads, the SMTP block and the FTP/proxy block are
// never compared, the fixed size only when a's RectSelection is 1.
bool SettingsEqual(const TConfiguration& a, const TConfiguration& b);

// The destination set of the SendTo flags.
TDestinations DestinationsOf(const TConfiguration& c);

// The registry type a record is stored as (REG_BINARY).
constexpr uint32_t StoredRecordType = 3;

// A stored value of any type, length and content taken as a record: only a
// value of the record's type and exact size is, byte for byte; record is
// left unchanged otherwise.
bool RecordFromStoredValue(uint32_t type, const void* value, size_t size, TConfiguration& record);
