/* A stand-in for the ICQ client's ICQMAPI.dll with its seven exports, scripted
 * by the file that VORLIX_ICQ_SCRIPT names and logging every call, with its
 * arguments, to the file that VORLIX_ICQ_LOG names. Tests copy it next to the
 * program as ICQMAPI.dll, or leave it out.
 *
 * Script lines (all optional; every call succeeds by default):
 *   license 0 | version 0 | owner 0 | online 0 | details 0 | send 0
 *                          the call of that name fails
 *   contact NUMBER NICK    a contact online (in order)
 *   contacts N             N more contacts online: 100000+i, "user<i>"
 *   longnick NUMBER        a contact whose nick fills its record to the end
 *                          with no zero byte
 * Log lines: the export's name and its arguments. FreeUsers says "ok" when it
 * gets back the very table the last online list handed out. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define BLOCK 612
#define MAX_CONTACTS 400

typedef struct {
    int number;
    char nick[BLOCK];
    int longNick;
} Contact;

static struct {
    int license, version, owner, online, details, send;
    int count;
    Contact contacts[MAX_CONTACTS];
} script;

static void** lastTable;
static int lastCount;

static void Log(const char* format, ...) {
    char path[MAX_PATH], line[2048];
    va_list args;
    if (!GetEnvironmentVariableA("VORLIX_ICQ_LOG", path, sizeof path)) return;
    va_start(args, format);
    _vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    line[sizeof line - 2] = 0;
    strcat(line, "\n");
    FILE* f = fopen(path, "ab");
    if (f) {
        fputs(line, f);
        fclose(f);
    }
}

static void ReadScript(void) {
    char path[MAX_PATH], line[1024];
    memset(&script, 0, sizeof script);
    script.license = script.version = script.owner = script.online = script.details = script.send = 1;
    if (!GetEnvironmentVariableA("VORLIX_ICQ_SCRIPT", path, sizeof path)) return;
    FILE* f = fopen(path, "rb");
    if (!f) return;
    while (fgets(line, sizeof line, f)) {
        char word[64] = "", nick[600] = "";
        long long value = 0;
        line[strcspn(line, "\r\n")] = 0;
        if (sscanf(line, "%63s %lld %599[^\n]", word, &value, nick) < 2) continue;
        if (!strcmp(word, "license")) script.license = (int)value;
        else if (!strcmp(word, "version")) script.version = (int)value;
        else if (!strcmp(word, "owner")) script.owner = (int)value;
        else if (!strcmp(word, "online")) script.online = (int)value;
        else if (!strcmp(word, "details")) script.details = (int)value;
        else if (!strcmp(word, "send")) script.send = (int)value;
        else if (!strcmp(word, "contact") && script.count < MAX_CONTACTS) {
            script.contacts[script.count].number = (int)(unsigned)value;
            strncpy(script.contacts[script.count].nick, nick, BLOCK - 1);
            ++script.count;
        } else if (!strcmp(word, "longnick") && script.count < MAX_CONTACTS) {
            script.contacts[script.count].number = (int)(unsigned)value;
            script.contacts[script.count].longNick = 1;
            ++script.count;
        } else if (!strcmp(word, "contacts")) {
            for (int i = 1; i <= (int)value && script.count < MAX_CONTACTS; ++i) {
                script.contacts[script.count].number = 100000 + i;
                sprintf(script.contacts[script.count].nick, "user%d", i);
                ++script.count;
            }
        }
    }
    fclose(f);
}

BOOL WINAPI ICQAPICall_SetLicenseKey(const char* licensee, const char* password, const char* key) {
    ReadScript();
    Log("SetLicenseKey %s|%s|%s", licensee ? licensee : "", password ? password : "", key ? key : "");
    return script.license;
}

BOOL WINAPI ICQAPICall_GetVersion(int* version) {
    Log("GetVersion");
    if (!script.version || !version) return FALSE;
    *version = 7;
    return TRUE;
}

BOOL WINAPI ICQAPICall_SetOwnerState(int state) {
    Log("SetOwnerState %d", state);
    return script.owner;
}

BOOL WINAPI ICQAPICall_GetOnlineListDetails(int* count, void*** users) {
    Log("GetOnlineListDetails");
    if (!count || !users) return FALSE;
    *count = 0;
    *users = NULL;
    if (!script.online) return FALSE;
    void** table = (void**)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(void*) * (script.count + 1));
    for (int i = 0; i < script.count; ++i) {
        int* record = (int*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 64);
        record[0] = script.contacts[i].number;
        table[i] = record;
    }
    *count = script.count;
    *users = table;
    lastTable = table;
    lastCount = script.count;
    return TRUE;
}

BOOL WINAPI ICQAPICall_GetFullUserData(void* user, int version) {
    int number = user ? *(int*)user : 0;
    Log("GetFullUserData %d %d", number, version);
    if (!script.details || !user) return FALSE;
    for (int i = 0; i < script.count; ++i) {
        if (script.contacts[i].number != number) continue;
        char* block = (char*)user;
        if (script.contacts[i].longNick) memset(block + 12, 'N', BLOCK - 12);
        else strncpy(block + 12, script.contacts[i].nick, BLOCK - 12 - 1);
        return TRUE;
    }
    return FALSE;
}

void WINAPI ICQAPIUtil_FreeUsers(int count, void** users) {
    const int same = users == lastTable && count == lastCount;
    Log("FreeUsers %d %s", count, same ? "ok" : "unknown table");
    if (!same || !users) return;
    for (int i = 0; i < count; ++i) HeapFree(GetProcessHeap(), 0, users[i]);
    HeapFree(GetProcessHeap(), 0, users);
    lastTable = NULL;
}

BOOL WINAPI ICQAPICall_SendFile(int number, const char* path) {
    Log("SendFile %d %s", number, path ? path : "");
    return script.send;
}
