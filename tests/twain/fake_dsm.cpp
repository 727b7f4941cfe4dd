// A TWAIN source manager and one source in a DLL, for tests: it enforces the
// protocol's states (a call in the wrong state fails and is logged as
// SEQERROR), follows a script and logs every triplet.
//
// Script (VORLIX_TWAIN_SCRIPT, read when the manager opens), one item a line:
//   source NAME                      the source offered by selection
//   select ok|cancel|fail            the answer of the selection dialog
//   fail DAT MSG [CODE]              that triplet returns CODE (default 1)
//   cap ID VALUE                     a capability's one value (gettable and settable)
//   events E...                      what the source raises after it is enabled,
//                                    one per message it is shown: xferready, closereq
//   image KIND PATH [key=value...]   a pending image; KIND native (the BMP's DIB),
//                                    raw (the file's bytes are the DIB block), bitmap
//                                    (the native transfer hands over a top-down DIB
//                                    section, as Wine's camera source does), ddb (a
//                                    device-dependent bitmap), file, memory; keys:
//                                    preferred, length (-1 unknown), bpr (bytes per
//                                    row sent), xres, units
//   stuck fail|repeat                after the last image the pending count stays 1
//                                    (as Wine's camera source reports it) and the next
//                                    native transfer fails, or hands over the last
//                                    image again
// The log (VORLIX_TWAIN_LOG) gets one line a call.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "twain/twain_protocol.h"

using namespace twain;

namespace {

struct Image {
    std::string kind, path;
    std::map<std::string, long long> keys;
};

struct Script {
    std::string source = "Fake Scanner";
    std::string select = "ok";
    std::map<std::pair<int, int>, int> fails;
    std::map<int, uint32_t> caps;
    std::deque<std::string> events;
    std::deque<Image> images;
    std::string stuck;  // "", "fail" or "repeat"
};

Script script;
int state = 2;  // manager loaded
HWND parent = nullptr;
UINT eventMessage = 0;
std::vector<uint8_t> memRows;  // top-first rows of the memory image in transfer
uint32_t memBpr = 0, memRowsTotal = 0, memNext = 0;
std::string setupFileName;  // where the file transfer writes
bool stuckAfterLast = false;  // the last image was transferred under "stuck"

std::string Env(const char* name) {
    char buffer[1024];
    DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

void Log(const std::string& line) {
    const std::string path = Env("VORLIX_TWAIN_LOG");
    if (path.empty()) return;
    std::ofstream out(path, std::ios::app);
    out << line << "\n";
}

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void LoadScript() {
    script = Script();
    stuckAfterLast = false;
    std::ifstream in(Env("VORLIX_TWAIN_SCRIPT"));
    bool eventsGiven = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string what;
        if (!(words >> what) || what[0] == '#') continue;
        if (what == "source") {
            std::getline(words >> std::ws, script.source);
        } else if (what == "select") {
            words >> script.select;
        } else if (what == "fail") {
            std::string dat, msg;
            int code = 1;
            words >> dat >> msg >> code;
            script.fails[{std::stoi(dat, nullptr, 0), std::stoi(msg, nullptr, 0)}] = code;
        } else if (what == "cap") {
            std::string id;
            uint32_t value = 0;
            words >> id >> value;
            script.caps[std::stoi(id, nullptr, 0)] = value;
        } else if (what == "stuck") {
            words >> script.stuck;
        } else if (what == "events") {
            eventsGiven = true;
            std::string e;
            while (words >> e) script.events.push_back(e);
        } else if (what == "image") {
            Image image;
            words >> image.kind >> image.path;
            std::string kv;
            while (words >> kv) {
                const size_t eq = kv.find('=');
                if (eq != std::string::npos) image.keys[kv.substr(0, eq)] = std::stoll(kv.substr(eq + 1));
            }
            script.images.push_back(image);
        }
    }
    if (!eventsGiven) script.events.push_back("xferready");
}

long long Key(const Image& image, const char* key, long long fallback) {
    auto it = image.keys.find(key);
    return it == image.keys.end() ? fallback : it->second;
}

void PostEvent() {
    if (parent) PostMessageW(parent, eventMessage, 0, 0);
    else PostThreadMessageW(GetCurrentThreadId(), eventMessage, 0, 0);
}

// The BMP file of an image, split into its DIB (header, table, rows).
std::vector<uint8_t> DibOf(const Image& image) {
    std::vector<uint8_t> file = ReadFile(image.path);
    if (image.kind == "raw") return file;
    if (file.size() < 14) return {};
    return std::vector<uint8_t>(file.begin() + 14, file.end());
}

struct DibView {
    int32_t width = 0, height = 0;
    int bits = 0;
    uint32_t stride = 0;
    const uint8_t* rows = nullptr;  // bottom-up
};

DibView View(const std::vector<uint8_t>& dib) {
    DibView v;
    if (dib.size() < 40) return v;
    uint32_t headerSize, colors;
    std::memcpy(&headerSize, dib.data(), 4);
    std::memcpy(&v.width, dib.data() + 4, 4);
    std::memcpy(&v.height, dib.data() + 8, 4);
    uint16_t bits;
    std::memcpy(&bits, dib.data() + 14, 2);
    std::memcpy(&colors, dib.data() + 32, 4);
    v.bits = bits;
    if (bits <= 8 && colors == 0) colors = 1u << bits;
    v.stride = ((v.width * v.bits + 31) / 32) * 4;
    v.rows = dib.data() + headerSize + colors * 4;
    return v;
}

// A bottom-up DIB as a bitmap: a top-down DIB section (rows copied so that
// the picture stays the same), or a device-dependent bitmap.
HBITMAP BitmapOf(const std::vector<uint8_t>& dib, bool section) {
    const DibView v = View(dib);
    if (!v.rows || v.height <= 0) return nullptr;
    std::vector<uint8_t> info(dib.begin(), dib.begin() + (v.rows - dib.data()));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = nullptr;
    if (section) {
        header->biHeight = -v.height;
        void* bits = nullptr;
        bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap && bits)
            for (int32_t y = 0; y < v.height; ++y)
                std::memcpy(static_cast<uint8_t*>(bits) + size_t(y) * v.stride,
                            v.rows + size_t(v.height - 1 - y) * v.stride, v.stride);
    } else {
        bitmap = CreateCompatibleBitmap(screen, v.width, v.height);
        if (bitmap) SetDIBits(screen, bitmap, 0, UINT(v.height), v.rows, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    }
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// Which states each triplet may be called in, and the state it leads to on
// success (0: unchanged).
struct Rule {
    int dat, msg, from, to, after;
};

bool Allowed(int dat, int msg, int& next) {
    static const Rule rules[] = {
        {DAT_PARENT, MSG_OPENDSM, 2, 2, 3},
        {DAT_PARENT, MSG_CLOSEDSM, 3, 3, 2},
        {DAT_IDENTITY, MSG_GETDEFAULT, 3, 7, 0},
        {DAT_IDENTITY, MSG_USERSELECT, 3, 3, 0},
        {DAT_IDENTITY, MSG_OPENDS, 3, 3, 4},
        {DAT_IDENTITY, MSG_CLOSEDS, 4, 4, 3},
        {DAT_CAPABILITY, MSG_GET, 4, 7, 0},
        {DAT_CAPABILITY, MSG_SET, 4, 4, 0},
        {DAT_USERINTERFACE, MSG_ENABLEDS, 4, 4, 5},
        {DAT_USERINTERFACE, MSG_DISABLEDS, 5, 5, 4},
        {DAT_EVENT, MSG_PROCESSEVENT, 5, 7, 0},
        {DAT_SETUPFILEXFER, MSG_SET, 4, 6, 0},
        {DAT_SETUPMEMXFER, MSG_GET, 4, 6, 0},
        {DAT_IMAGEINFO, MSG_GET, 6, 7, 0},
        {DAT_IMAGENATIVEXFER, MSG_GET, 6, 6, 7},
        {DAT_IMAGEFILEXFER, MSG_GET, 6, 6, 7},
        {DAT_IMAGEMEMXFER, MSG_GET, 6, 7, 7},
        {DAT_PENDINGXFERS, MSG_ENDXFER, 6, 7, 0},
        {DAT_PENDINGXFERS, MSG_RESET, 6, 6, 5},
    };
    for (const Rule& r : rules) {
        if (r.dat == dat && r.msg == msg) {
            next = r.after;
            return state >= r.from && state <= r.to;
        }
    }
    next = 0;
    return false;
}

TW_UINT16 Serve(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    switch (dat) {
        case DAT_PARENT:
            if (msg == MSG_OPENDSM) {
                LoadScript();
                parent = data ? *static_cast<HWND*>(data) : nullptr;
                eventMessage = RegisterWindowMessageW(L"VorlixFakeTwainEvent");
                origin->Id = 1;
                char line[400];
                std::snprintf(line, sizeof line,
                              "APP Manufacturer=%s Family=%s Product=%s Info=%s Version=%u.%u Language=%u "
                              "Country=%u Protocol=%u.%u Groups=%u",
                              origin->Manufacturer, origin->ProductFamily, origin->ProductName, origin->Version.Info,
                              origin->Version.MajorNum, origin->Version.MinorNum, origin->Version.Language,
                              origin->Version.Country, origin->ProtocolMajor, origin->ProtocolMinor,
                              unsigned(origin->SupportedGroups));
                Log(line);
            }
            return TWRC_SUCCESS;
        case DAT_IDENTITY: {
            auto* id = static_cast<TW_IDENTITY*>(data);
            // Like a real manager, the user's choice becomes the default
            // source, kept beside the log across manager sessions.
            const std::string defaultFile = Env("VORLIX_TWAIN_LOG") + ".default";
            std::string chosen;
            std::getline(std::ifstream(defaultFile) >> std::ws, chosen);
            if (chosen.empty()) chosen = "Default Scanner";
            if (msg == MSG_GETDEFAULT || msg == MSG_USERSELECT) {
                if (msg == MSG_USERSELECT && script.select == "cancel") return TWRC_CANCEL;
                if (msg == MSG_USERSELECT && script.select == "fail") return TWRC_FAILURE;
                if (msg == MSG_USERSELECT) {
                    chosen = script.source;
                    std::ofstream(defaultFile) << chosen;
                }
                std::memset(id, 0, sizeof *id);
                id->Id = 2;
                std::strncpy(id->ProductName, chosen.c_str(), sizeof id->ProductName - 1);
                return TWRC_SUCCESS;
            }
            if (msg == MSG_OPENDS) {
                // No name: the default source.
                if (!id->ProductName[0]) std::strncpy(id->ProductName, chosen.c_str(), sizeof id->ProductName - 1);
                id->Id = 2;
                Log(std::string("OPEN ") + id->ProductName);
            }
            return TWRC_SUCCESS;
        }
        case DAT_USERINTERFACE: {
            auto* ui = static_cast<TW_USERINTERFACE*>(data);
            if (msg == MSG_ENABLEDS) {
                Log("ENABLE ShowUI=" + std::to_string(ui->ShowUI) + " ModalUI=" + std::to_string(ui->ModalUI));
                if (!script.events.empty()) PostEvent();
            }
            return TWRC_SUCCESS;
        }
        case DAT_CAPABILITY: {
            auto* cap = static_cast<TW_CAPABILITY*>(data);
            auto it = script.caps.find(cap->Cap);
            if (msg == MSG_SET) {
                auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(cap->hContainer));
                if (!one) return TWRC_FAILURE;
                Log("SETCAP " + std::to_string(cap->Cap) + " type=" + std::to_string(one->ItemType) +
                    " value=" + std::to_string(one->Item));
                if (it != script.caps.end() || cap->Cap == ICAP_XFERMECH) script.caps[cap->Cap] = one->Item;
                GlobalUnlock(cap->hContainer);
                return it != script.caps.end() || cap->Cap == ICAP_XFERMECH ? TWRC_SUCCESS : TWRC_FAILURE;
            }
            if (it == script.caps.end()) return TWRC_FAILURE;
            HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
            auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(h));
            one->ItemType = TWTY_UINT16;
            one->Item = it->second;
            GlobalUnlock(h);
            cap->ConType = TWON_ONEVALUE;
            cap->hContainer = h;
            return TWRC_SUCCESS;
        }
        case DAT_EVENT: {
            auto* event = static_cast<TW_EVENT*>(data);
            event->TWMessage = MSG_NULL;
            const MSG* m = static_cast<const MSG*>(event->pEvent);
            if (!m || m->message != eventMessage) return TWRC_NOTDSEVENT;
            if (script.events.empty()) return TWRC_DSEVENT;
            const std::string e = script.events.front();
            script.events.pop_front();
            Log("EVENT " + e);
            if (e == "xferready") {
                if (script.images.empty()) return TWRC_DSEVENT;  // nothing to send after all
                event->TWMessage = MSG_XFERREADY;
                state = 6;
            } else {
                event->TWMessage = MSG_CLOSEDSREQ;
            }
            if (!script.events.empty()) PostEvent();
            return TWRC_DSEVENT;
        }
        case DAT_PENDINGXFERS: {
            auto* p = static_cast<TW_PENDINGXFERS*>(data);
            if (msg == MSG_RESET) {
                script.images.clear();
                script.stuck.clear();
            } else if (!script.images.empty() && (script.images.size() > 1 || script.stuck.empty())) {
                script.images.pop_front();  // done (state 7), or the ready one dropped (state 6)
            } else if (!script.images.empty()) {
                stuckAfterLast = true;  // the count is never lowered past the last image
            }
            p->Count = static_cast<TW_UINT16>(script.images.size());
            p->EOJ = 0;
            Log("PENDING " + std::to_string(p->Count));
            state = msg == MSG_RESET || p->Count == 0 ? 5 : 6;
            return TWRC_SUCCESS;
        }
        case DAT_IMAGENATIVEXFER: {
            if (stuckAfterLast && script.stuck == "fail") return TWRC_FAILURE;
            const Image& image = script.images.front();
            const std::vector<uint8_t> dib = DibOf(image);
            if (image.kind == "bitmap" || image.kind == "ddb") {
                *static_cast<HANDLE*>(data) = BitmapOf(dib, image.kind == "bitmap");
                return TWRC_XFERDONE;
            }
            HGLOBAL h = GlobalAlloc(GHND, dib.empty() ? 1 : dib.size());
            if (!dib.empty()) std::memcpy(GlobalLock(h), dib.data(), dib.size()), GlobalUnlock(h);
            *static_cast<HGLOBAL*>(data) = h;
            return TWRC_XFERDONE;
        }
        case DAT_SETUPFILEXFER: {
            auto* setup = static_cast<TW_SETUPFILEXFER*>(data);
            Log(std::string("SETUPFILE ") + setup->FileName + " format=" + std::to_string(setup->Format));
            setupFileName = setup->FileName;
            return TWRC_SUCCESS;
        }
        case DAT_IMAGEFILEXFER: {
            std::vector<uint8_t> bytes = ReadFile(script.images.front().path);
            std::ofstream out(setupFileName, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            return TWRC_XFERDONE;
        }
        case DAT_IMAGEINFO: {
            const Image& image = script.images.front();
            DibView v = View(DibOf(image));
            auto* info = static_cast<TW_IMAGEINFO*>(data);
            std::memset(info, 0, sizeof *info);
            info->XResolution.Whole = info->YResolution.Whole = static_cast<TW_INT16>(Key(image, "xres", 300));
            info->ImageWidth = v.width;
            info->ImageLength = static_cast<TW_INT32>(Key(image, "length", v.height));
            info->BitsPerPixel = static_cast<TW_INT16>(v.bits);
            info->SamplesPerPixel = v.bits == 24 ? 3 : 1;
            return TWRC_SUCCESS;
        }
        case DAT_SETUPMEMXFER: {
            auto* setup = static_cast<TW_SETUPMEMXFER*>(data);
            const long long preferred = script.images.empty() ? 4096 : Key(script.images.front(), "preferred", 4096);
            setup->MinBufSize = setup->MaxBufSize = setup->Preferred = static_cast<TW_UINT32>(preferred);
            return TWRC_SUCCESS;
        }
        case DAT_IMAGEMEMXFER: {
            auto* mx = static_cast<TW_IMAGEMEMXFER*>(data);
            const Image& image = script.images.front();
            if (state == 6) {
                // First strip: the rows top first, red before blue.
                const std::vector<uint8_t> dib = DibOf(image);
                DibView v = View(dib);
                memBpr = static_cast<uint32_t>(Key(image, "bpr", v.stride));
                memRowsTotal = static_cast<uint32_t>(v.height);
                memRows.assign(size_t(memBpr) * memRowsTotal, 0);
                for (uint32_t r = 0; r < memRowsTotal; ++r) {
                    const uint8_t* in = v.rows + size_t(memRowsTotal - 1 - r) * v.stride;
                    uint8_t* out = &memRows[size_t(r) * memBpr];
                    std::memcpy(out, in, std::min(memBpr, v.stride));
                    if (v.bits == 24)
                        for (int x = 0; x < v.width && uint32_t(x * 3 + 2) < memBpr; ++x) std::swap(out[x * 3], out[x * 3 + 2]);
                }
                memNext = 0;
            }
            if (!(mx->Memory.Flags & TWMF_POINTER) || !mx->Memory.TheMem || mx->Memory.Length < memBpr) {
                Log("BADBUFFER");
                return TWRC_FAILURE;
            }
            const uint32_t rows = std::min(mx->Memory.Length / memBpr, memRowsTotal - memNext);
            std::memcpy(mx->Memory.TheMem, &memRows[size_t(memNext) * memBpr], size_t(rows) * memBpr);
            mx->Compression = 0;
            mx->BytesPerRow = memBpr;
            mx->Columns = 0;
            mx->Rows = rows;
            mx->XOffset = 0;
            mx->YOffset = memNext;
            mx->BytesWritten = rows * memBpr;
            memNext += rows;
            return memNext >= memRowsTotal ? TWRC_XFERDONE : TWRC_SUCCESS;
        }
        default: return TWRC_FAILURE;
    }
}

}  // namespace

extern "C" TW_UINT16 WINAPI DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                      TW_UINT16 msg, TW_MEMREF data) {
    int next = 0;
    const bool allowed = Allowed(dat, msg, next);
    char head[96];
    std::snprintf(head, sizeof head, "DG=%u DAT=0x%04X MSG=0x%04X dest=%s state=%d", unsigned(dg), dat, msg,
                  dest ? "source" : "manager", state);
    if (!allowed) {
        Log(std::string("SEQERROR ") + head);
        return TWRC_FAILURE;
    }
    auto forced = script.fails.find({dat, msg});
    TW_UINT16 rc;
    if (forced != script.fails.end() && msg != MSG_OPENDSM) {
        rc = static_cast<TW_UINT16>(forced->second);
        if (dat == DAT_EVENT) {
            static_cast<TW_EVENT*>(data)->TWMessage = MSG_NULL;
            rc = TWRC_NOTDSEVENT;
        }
    } else {
        rc = Serve(origin, dat, msg, data);
        if (msg == MSG_OPENDSM) {
            forced = script.fails.find({dat, msg});
            if (forced != script.fails.end()) rc = static_cast<TW_UINT16>(forced->second);
        }
    }
    if ((rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) && next) state = next;
    if (dat != DAT_EVENT || rc == TWRC_DSEVENT) Log(std::string(head) + " rc=" + std::to_string(rc) + " now=" + std::to_string(state));
    return rc;
}
