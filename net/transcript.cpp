#include "net/transcript.h"

#include <stdio.h>
#include <string.h>

#include "app/appstate.h"
#include "app/message.h"
#include "net/netio.h"
#include "res/resource.h"

// The one transcript: the last exchange's, or the one running. depth counts the exchanges
// begun and not ended (a nested one is refused, but begins and ends all the same).
static struct {
    Record record;
    int depth;
} last;

static uint64_t Now(void)
{
    LARGE_INTEGER count, frequency;
    if (!QueryPerformanceFrequency(&frequency) || !QueryPerformanceCounter(&count))
        return (uint64_t)GetTickCount() * 1000;
    return (uint64_t)count.QuadPart / (uint64_t)frequency.QuadPart * 1000000 +
           (uint64_t)count.QuadPart % (uint64_t)frequency.QuadPart * 1000000 /
               (uint64_t)frequency.QuadPart;
}

static bool Recording(void)
{
    return last.depth > 0;
}

static void LoadText(UINT id, char *text, int size)
{
    if (LoadStringA(g_hInstance, id, text, size) == 0)
        text[0] = '\0';
}

void TranscriptBegin(UINT titleFormat, const char *subject)
{
    // An exchange abandoned with its window never ended; one that waits has a socket or a
    // look-up open.
    if (Recording() && NetOpenSocketCount() + NetStartedLookupCount() > 0) {
        last.depth++;
        return;
    }
    char format[kMessageLineSize], title[kRecordTitleSize];
    LoadText(titleFormat, format, sizeof format);
    snprintf(title, sizeof title, format, subject);
    RecordBegin(&last.record, title, Now());
    last.depth = 1;
}

void TranscriptEnd(void)
{
    if (last.depth > 0)
        last.depth--;
}

void TranscriptOpened(SOCKET s, RecordLink kind, UINT noteFormat)
{
    if (!Recording())
        return;
    NetAddress peer;
    SocketAddress(s, true, &peer);
    char host[kAddressTextSize];
    AddressText(&peer, false, host, sizeof host);
    char format[kMessageLineSize], note[kMessageLineSize + kAddressTextSize];
    LoadText(noteFormat, format, sizeof format);
    snprintf(note, sizeof note, format, host, AddressPort(&peer));
    RecordOpen(&last.record, Now(), (uintptr_t)s, kind, note);
}

static void Note(SOCKET s, UINT id, bool secured)
{
    if (!Recording())
        return;
    char note[kMessageLineSize];
    LoadText(id, note, sizeof note);
    RecordNote(&last.record, Now(), (uintptr_t)s, note, secured);
}

void TranscriptSecured(SOCKET s)
{
    Note(s, IDS_LAST_TLS, true);
}

void TranscriptBytes(SOCKET s, bool sent, const char *bytes, int count)
{
    if (count == 0 && !sent)
        Note(s, IDS_LAST_PEER_CLOSED, false);
    else if (Recording() && count > 0)
        RecordBytes(&last.record, Now(), (uintptr_t)s, sent, bytes, (size_t)count);
}

void TranscriptClosed(SOCKET s)
{
    Note(s, IDS_LAST_CLOSED, false);
}

// Only the exchange's own outcome counts, not a nested one's.
static void Outcome(const char *text)
{
    if (last.depth <= 1 && last.record.begun)
        RecordOutcome(&last.record, text);
}

void TranscriptFailed(const char *text)
{
    size_t line = strcspn(text, "\r\n");
    char format[kMessageLineSize], outcome[kRecordTitleSize];
    bool at = last.record.verb[0] != '\0';
    LoadText(at ? IDS_LAST_FAILED_AT : IDS_LAST_FAILED, format, sizeof format);
    if (at)
        snprintf(outcome, sizeof outcome, format, last.record.verb, (int)line, text);
    else
        snprintf(outcome, sizeof outcome, format, (int)line, text);
    Outcome(outcome);
}

void TranscriptSucceeded(UINT format, const char *detail)
{
    char text[kMessageLineSize], outcome[kRecordTitleSize];
    LoadText(format, text, sizeof text);
    snprintf(outcome, sizeof outcome, text, detail);
    Outcome(outcome);
}

enum { kShownSize = kRecordTextSize + 2 * kRecordTitleSize + 128, kTitleSize = 192 };

int ShowLastExchange(void)
{
    char *shown = (char *)GlobalAlloc(GMEM_FIXED, kShownSize);
    if (shown == nullptr) {
        ShowMessage(MB_ICONERROR, IDS_ERROR, IDS_NO_MEMORY, g_hMainWindow);
        return -1;
    }
    if (!last.record.begun) {
        LoadText(IDS_LAST_NONE, shown, kShownSize);
    } else {
        Record *record = &last.record;
        bool unfinished = record->outcome[0] == '\0';
        if (unfinished)
            LoadText(IDS_LAST_UNFINISHED, record->outcome, sizeof record->outcome);
        FormatRecord(record, shown, kShownSize);
        if (unfinished)
            record->outcome[0] = '\0';
    }
    char appTitle[kTitleSize], format[kMessageLineSize], title[kTitleSize];
    LoadText(IDS_APP_TITLE, appTitle, sizeof appTitle);
    LoadText(IDS_LAST_TITLE, format, sizeof format);
    snprintf(title, sizeof title, format, appTitle);
    SetWindowTextA(g_hMainWindow, title);
    SendMessageA(g_hOutputPane, WM_SETTEXT, 0, (LPARAM)shown);
    GlobalFree(shown);
    return 0;
}
