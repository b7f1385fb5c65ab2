#include "net/report.h"

#include <string.h>

#include "app/appstate.h"
#include "app/message.h"
#include "net/exchange.h"
#include "net/netio.h"
#include "net/reply.h"
#include "net/transcript.h"
#include "net/watchdog.h"
#include "res/resource.h"

static void LoadLine(UINT id, char *text)
{
    LoadMessageText(id, text, kMessageLineSize);
}

enum { kHintedSize = sizeof(QuietFailure::text) };

static struct {
    bool on;
    QuietFailure kept;
} quiet;

void SetQuietReports(bool on)
{
    quiet.on = on;
    if (on)
        quiet.kept = {};
}

const QuietFailure *KeptFailure(void)
{
    return &quiet.kept;
}

static void ShowFailureBox(UINT captionId, const char *text)
{
    if (!quiet.on) {
        ShowText(MB_ICONERROR, captionId, text, g_hMainWindow);
        return;
    }
    quiet.kept.caption = captionId;
    lstrcpynA(quiet.kept.text, text, sizeof quiet.kept.text);
}

// text as it came, then the hint on a line of its own after a blank line.
static void AddHint(const char *text, UINT hintId, char *out)
{
    char hint[kMessageLineSize];
    LoadLine(hintId, hint);
    size_t length = strlen(text);
    memcpy(out, text, length);
    if (length == 0 || text[length - 1] != '\n') {
        memcpy(out + length, "\r\n", 2);
        length += 2;
    }
    memcpy(out + length, "\r\n", 2);
    strcpy(out + length + 2, hint);
}

static struct {
    FailureCleanup run;
    void *context;
} cleanup;

void SetFailureCleanup(FailureCleanup run, void *context)
{
    cleanup.run = run;
    cleanup.context = context;
}

static void CleanUp(void)
{
    FailureCleanup run = cleanup.run;
    cleanup.run = nullptr;
    if (run != nullptr)
        run(cleanup.context);
}

// Winsock shares the thread's last-error value with USER calls, so read it first.
int ReportWinsockError(UINT hintId)
{
    int code = WSAGetLastError();
    if (quiet.on)
        quiet.kept.socketError = code;
    if (code == kNetAbandoned) {
        cleanup.run = nullptr;
        return -1;
    }
    char text[kMessageLineSize], hinted[kHintedSize];
    LoadLine((UINT)code, text);
    TranscriptFailed(text);
    if (!NetWaitFailed(code))
        CleanUp();
    cleanup.run = nullptr;
    EndExchange();
    if (hintId != 0)
        AddHint(text, hintId, hinted);
    ShowFailureBox(IDS_WINSOCK_ERROR, hintId != 0 ? hinted : text);
    NetRestart();
    return -1;
}

int ReportFailureText(UINT captionId, const char *text)
{
    TranscriptFailed(text);
    CleanUp();
    EndExchange();
    ShowFailureBox(captionId, text);
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}

int ReportFailure(UINT captionId, UINT textId, long status)
{
    char format[kMessageLineSize];
    char text[kMessageLineSize + 16];
    LoadLine(textId, format);
    wsprintfA(text, format, status);
    return ReportFailureText(captionId, text);
}

int ReportRefusedText(UINT textId)
{
    char text[kMessageLineSize];
    LoadLine(textId, text);
    return ReportFailureText(IDS_ERROR, text);
}

int ReportServerError(const char *reply, UINT hintId)
{
    if (quiet.on) {
        quiet.kept.fromServer = true;
        lstrcpynA(quiet.kept.reply, reply, sizeof quiet.kept.reply);
    }
    // A server that closed before sending anything would give an empty box.
    char noReply[kMessageLineSize];
    if (reply[0] == '\0') {
        LoadLine(IDS_NO_REPLY, noReply);
        reply = noReply;
    }
    if (hintId == 0)
        return ReportFailureText(IDS_FTP_ERROR, reply);
    char text[kHintedSize];
    AddHint(reply, hintId, text);
    return ReportFailureText(IDS_FTP_ERROR, text);
}

int EndExchangeQuietly(void)
{
    TranscriptSucceeded(IDS_LAST_USER_ENDED, "");
    cleanup.run = nullptr;
    EndExchange();
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}

int WatchdogExpired(void)
{
    DisarmWatchdog();
    if (NetCancelWait() == 0)
        return 0;
    return ReportWinsockError();
}
