// The TWAIN protocol as the source manager speaks it: the records passed
// through its single entry point and the codes used with them. The records
// are packed to 2 bytes, as the standard requires on Windows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace twain {

using TW_UINT16 = uint16_t;
using TW_INT16 = int16_t;
using TW_UINT32 = uint32_t;
using TW_INT32 = int32_t;
using TW_BOOL = uint16_t;
using TW_HANDLE = void*;
using TW_MEMREF = void*;
using TW_STR32 = char[34];
using TW_STR255 = char[256];

#pragma pack(push, 2)

struct TW_VERSION {
    TW_UINT16 MajorNum, MinorNum, Language, Country;
    TW_STR32 Info;
};

struct TW_IDENTITY {
    TW_UINT32 Id;
    TW_VERSION Version;
    TW_UINT16 ProtocolMajor, ProtocolMinor;
    TW_UINT32 SupportedGroups;
    TW_STR32 Manufacturer, ProductFamily, ProductName;
};

struct TW_USERINTERFACE {
    TW_BOOL ShowUI, ModalUI;
    TW_HANDLE hParent;
};

struct TW_EVENT {
    TW_MEMREF pEvent;      // the platform's MSG
    TW_UINT16 TWMessage;   // what the source made of it
};

struct TW_PENDINGXFERS {
    TW_UINT16 Count;
    TW_UINT32 EOJ;
};

struct TW_CAPABILITY {
    TW_UINT16 Cap, ConType;
    TW_HANDLE hContainer;
};

struct TW_ONEVALUE {
    TW_UINT16 ItemType;
    TW_UINT32 Item;
};

struct TW_FIX32 {
    TW_INT16 Whole;
    TW_UINT16 Frac;
};

struct TW_SETUPFILEXFER {
    TW_STR255 FileName;
    TW_UINT16 Format;
    TW_INT16 VRefNum;
};

struct TW_IMAGEINFO {
    TW_FIX32 XResolution, YResolution;
    TW_INT32 ImageWidth, ImageLength;
    TW_INT16 SamplesPerPixel;
    TW_INT16 BitsPerSample[8];
    TW_INT16 BitsPerPixel;
    TW_BOOL Planar;
    TW_INT16 PixelType;
    TW_UINT16 Compression;
};

struct TW_SETUPMEMXFER {
    TW_UINT32 MinBufSize, MaxBufSize, Preferred;
};

struct TW_MEMORY {
    TW_UINT32 Flags, Length;
    TW_MEMREF TheMem;
};

struct TW_IMAGEMEMXFER {
    TW_UINT16 Compression;
    TW_UINT32 BytesPerRow, Columns, Rows, XOffset, YOffset, BytesWritten;
    TW_MEMORY Memory;
};

#pragma pack(pop)

// Sizes the standard fixes for 32-bit Windows, where the handles and pointers
// are 4 bytes; on 64-bit Windows only the pointer-sized members grow.
constexpr size_t PointerSize = sizeof(void*);
static_assert(sizeof(TW_VERSION) == 42);
static_assert(sizeof(TW_IDENTITY) == 156);
static_assert(sizeof(TW_USERINTERFACE) == 4 + PointerSize);
static_assert(sizeof(TW_EVENT) == PointerSize + 2);
static_assert(sizeof(TW_PENDINGXFERS) == 6);
static_assert(sizeof(TW_CAPABILITY) == 4 + PointerSize);
static_assert(sizeof(TW_ONEVALUE) == 6);
static_assert(sizeof(TW_FIX32) == 4);
static_assert(sizeof(TW_SETUPFILEXFER) == 260);
static_assert(sizeof(TW_IMAGEINFO) == 42);
static_assert(sizeof(TW_SETUPMEMXFER) == 12);
static_assert(sizeof(TW_MEMORY) == 8 + PointerSize);
static_assert(sizeof(TW_IMAGEMEMXFER) == 26 + sizeof(TW_MEMORY));
static_assert(offsetof(TW_IDENTITY, ProductName) == 122);

// Data groups
constexpr TW_UINT32 DG_CONTROL = 0x0001;
constexpr TW_UINT32 DG_IMAGE = 0x0002;

// Data argument types
constexpr TW_UINT16 DAT_CAPABILITY = 0x0001;
constexpr TW_UINT16 DAT_EVENT = 0x0002;
constexpr TW_UINT16 DAT_IDENTITY = 0x0003;
constexpr TW_UINT16 DAT_PARENT = 0x0004;
constexpr TW_UINT16 DAT_PENDINGXFERS = 0x0005;
constexpr TW_UINT16 DAT_SETUPMEMXFER = 0x0006;
constexpr TW_UINT16 DAT_SETUPFILEXFER = 0x0007;
constexpr TW_UINT16 DAT_USERINTERFACE = 0x0009;
constexpr TW_UINT16 DAT_IMAGEINFO = 0x0101;
constexpr TW_UINT16 DAT_IMAGEMEMXFER = 0x0103;
constexpr TW_UINT16 DAT_IMAGENATIVEXFER = 0x0104;
constexpr TW_UINT16 DAT_IMAGEFILEXFER = 0x0105;

// Messages
constexpr TW_UINT16 MSG_NULL = 0x0000;
constexpr TW_UINT16 MSG_GET = 0x0001;
constexpr TW_UINT16 MSG_GETDEFAULT = 0x0003;
constexpr TW_UINT16 MSG_SET = 0x0006;
constexpr TW_UINT16 MSG_RESET = 0x0007;
constexpr TW_UINT16 MSG_XFERREADY = 0x0101;
constexpr TW_UINT16 MSG_CLOSEDSREQ = 0x0102;
constexpr TW_UINT16 MSG_CLOSEDSOK = 0x0103;
constexpr TW_UINT16 MSG_OPENDSM = 0x0301;
constexpr TW_UINT16 MSG_CLOSEDSM = 0x0302;
constexpr TW_UINT16 MSG_OPENDS = 0x0401;
constexpr TW_UINT16 MSG_CLOSEDS = 0x0402;
constexpr TW_UINT16 MSG_USERSELECT = 0x0403;
constexpr TW_UINT16 MSG_DISABLEDS = 0x0501;
constexpr TW_UINT16 MSG_ENABLEDS = 0x0502;
constexpr TW_UINT16 MSG_PROCESSEVENT = 0x0601;
constexpr TW_UINT16 MSG_ENDXFER = 0x0701;

// Return codes
constexpr TW_UINT16 TWRC_SUCCESS = 0;
constexpr TW_UINT16 TWRC_FAILURE = 1;
constexpr TW_UINT16 TWRC_CHECKSTATUS = 2;
constexpr TW_UINT16 TWRC_CANCEL = 3;
constexpr TW_UINT16 TWRC_DSEVENT = 4;
constexpr TW_UINT16 TWRC_NOTDSEVENT = 5;
constexpr TW_UINT16 TWRC_XFERDONE = 6;

// Containers and item types
constexpr TW_UINT16 TWON_ONEVALUE = 5;
constexpr TW_UINT16 TWON_DONTCARE16 = 0xFFFF;
constexpr TW_UINT16 TWTY_UINT16 = 0x0004;
constexpr TW_UINT16 TWTY_BOOL = 0x0006;

// Capabilities
constexpr TW_UINT16 CAP_FEEDERENABLED = 0x1002;
constexpr TW_UINT16 CAP_AUTOFEED = 0x1007;
constexpr TW_UINT16 ICAP_UNITS = 0x0102;
constexpr TW_UINT16 ICAP_XFERMECH = 0x0103;
constexpr TW_UINT16 ICAP_PIXELFLAVOR = 0x011F;

constexpr TW_UINT16 TWSX_NATIVE = 0;
constexpr TW_UINT16 TWSX_FILE = 1;
constexpr TW_UINT16 TWSX_MEMORY = 2;
constexpr TW_UINT16 TWFF_BMP = 2;
constexpr TW_UINT32 TWMF_APPOWNS = 0x0001;
constexpr TW_UINT32 TWMF_POINTER = 0x0008;
constexpr TW_UINT16 TWUN_INCHES = 0;
constexpr TW_UINT16 TWUN_CENTIMETERS = 1;
constexpr TW_UINT32 TWDG_CONTROL = 0x0001;
constexpr TW_UINT32 TWDG_IMAGE = 0x0002;

// Image length not known before the transfer (memory transfers).
constexpr TW_INT32 UnknownLength = -1;

}  // namespace twain
