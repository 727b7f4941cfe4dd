#include "delivery/printing.h"

#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <vector>

#include "base/errors.h"
#include "base/globals.h"
#include "delivery/destinations.h"
#include "delivery/image_file.h"
#include "delivery/print_planner.h"
#include "delivery/web_print_texts.h"
#include "ui/gdi.h"

namespace {

struct PrinterHandle {
    HANDLE h = nullptr;
    ~PrinterHandle() {
        if (h) ClosePrinter(h);
    }
};

std::vector<uint8_t> EnumeratedPrinters(DWORD& count) {
    DWORD needed = 0;
    count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<uint8_t> buffer(needed ? needed : 1);
    if (!EnumPrintersW(flags, nullptr, 4, buffer.data(), DWORD(buffer.size()), &needed, &count)) count = 0;
    return buffer;
}

// The default printer, or the first one when none is marked as default.
std::wstring ChosenPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size) {
        std::wstring name(size, L'\0');
        if (GetDefaultPrinterW(name.data(), &size)) {
            name.resize(wcslen(name.c_str()));
            if (!name.empty()) return name;
        }
    }
    DWORD count = 0;
    const std::vector<uint8_t> buffer = EnumeratedPrinters(count);
    if (!count) return {};
    return reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data())->pPrinterName;
}

// The printer's device settings with the orientation asked for (1 portrait,
// 2 landscape; any other value keeps the printer's own).
std::vector<uint8_t> DeviceSettings(const std::wstring& printer, int orientation) {
    PrinterHandle handle;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer.c_str()), &handle.h, nullptr)) return {};
    const LONG size = DocumentPropertiesW(nullptr, handle.h, const_cast<wchar_t*>(printer.c_str()), nullptr, nullptr, 0);
    if (size <= 0) return {};
    std::vector<uint8_t> buffer(size_t(size), 0);
    auto* mode = reinterpret_cast<DEVMODEW*>(buffer.data());
    if (DocumentPropertiesW(nullptr, handle.h, const_cast<wchar_t*>(printer.c_str()), mode, nullptr, DM_OUT_BUFFER) !=
        IDOK)
        return {};
    if (orientation == 1 || orientation == 2) {
        mode->dmFields |= DM_ORIENTATION;
        mode->dmOrientation = orientation == 1 ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
        if (DocumentPropertiesW(nullptr, handle.h, const_cast<wchar_t*>(printer.c_str()), mode, mode,
                                DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
            return {};
    }
    return buffer;
}

// One print job holding one page: the rows of the slice stretched into the
// slice's rectangle at the page's top left. Every step of the spooler and of
// GDI is checked; a failed job is aborted.
bool PrintSlice(HDC printer, const printing::Slice& slice, int imageWidth, const uint8_t* topDownRows) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = imageWidth;
    info.bmiHeader.biHeight = -slice.rows;  // top-down: the slice's first row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const uint8_t* bits = topDownRows + size_t(slice.firstRow) * imagefile::Dib24Stride(imageWidth);

    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = txt::PrintJobName;
    if (StartDocW(printer, &doc) <= 0) return false;
    bool ok = StartPage(printer) > 0;
    if (ok) {
        SetStretchBltMode(printer, COLORONCOLOR);
        const int lines = StretchDIBits(printer, 0, 0, slice.width, slice.height, 0, 0, imageWidth, slice.rows, bits,
                                        &info, DIB_RGB_COLORS, SRCCOPY);
        ok = lines > 0;  // 0 or GDI_ERROR on failure
        ok = EndPage(printer) > 0 && ok;
    }
    if (!ok) {
        AbortDoc(printer);
        return false;
    }
    return EndDoc(printer) > 0;
}

bool PrintAll() {
    if (CaptureBitmap.Empty()) return false;
    const std::wstring printer = ChosenPrinter();
    if (printer.empty()) return false;
    std::vector<uint8_t> settings = DeviceSettings(printer, Config.PrintOrientation);
    if (settings.empty()) return false;
    const ui::DcHandle dc(
        CreateDCW(L"WINSPOOL", printer.c_str(), nullptr, reinterpret_cast<const DEVMODEW*>(settings.data())));
    if (!dc) return false;
    const int pageWidth = GetDeviceCaps(dc, HORZRES), pageHeight = GetDeviceCaps(dc, VERTRES);
    const std::vector<printing::Slice> slices =
        printing::PlanPrint(CaptureBitmap.Width(), CaptureBitmap.Height(), pageWidth, pageHeight,
                            GetSystemMetrics(SM_CXSCREEN), Config.PrintScaling == 2);
    if (slices.empty()) return false;
    const std::vector<uint8_t> rows = imagefile::Dib24Rows(CaptureBitmap, true);
    if (rows.empty()) return false;
    // Pages already printed stay printed when a later one fails.
    for (const printing::Slice& slice : slices)
        if (!PrintSlice(dc, slice, CaptureBitmap.Width(), rows.data())) return false;
    return true;
}

}  // namespace

bool PrinterPresent() {
    DWORD count = 0;
    EnumeratedPrinters(count);
    return count > 0;
}

bool PrintCapture() {
    if (!PrinterPresent()) {
        ShowError(txt::NoPrinter);
        return false;
    }
    bool ok = false;
    try {
        ok = PrintAll();
    } catch (...) {
        ok = false;
    }
    if (!ok) ShowError(txt::CannotPrint);
    return ok;
}

bool SendToPrinter() {
    if (!PrintCapture()) return delivery::Failed();
    delivery::Succeeded(txt::SentToPrinter);
    return true;
}
