#include "post/seen.h"

#include "app/appstate.h"
#include "app/message.h"
#include "net/channel.h"
#include "net/connect.h"
#include "net/exchange.h"
#include "net/ftp.h"
#include "net/netio.h"
#include "net/report.h"
#include "post/check.h"
#include "query/capture.h"
#include "query/http.h"
#include "res/resource.h"

enum { kSeenTextSize = 320 };

// The daemon's whole answer, read as a finger query reads it: its length, or -1 after the
// failure has been reported.
static int FingerAnswer(SOCKET s, const char *user, char *answer)
{
    char request[kReplySize];
    wsprintfA(request, "%s\r\n", user);
    if (ChannelSendAll(s, request, lstrlenA(request)) == SOCKET_ERROR)
        return ReportWinsockError();
    return ReadQueryAnswer(s, answer);
}

// The box of string textId, its %s filled with where was looked.
static void ShowFound(UINT textId, const char *where)
{
    char format[kSeenTextSize], text[kSeenTextSize + kUrlSize];
    LoadMessageText(textId, format, sizeof format);
    wsprintfA(text, format, where);
    ShowText(MB_ICONWARNING, IDS_SEEN_CAPTION, text, g_hMainWindow);
}

static void ShowSeen(UINT textId, const char *user, const char *host)
{
    char who[kReplySize];
    wsprintfA(who, "%s@%s", user, host);
    ShowFound(textId, who);
}

static const UINT kVerdictText[] = {0, IDS_SEEN_NO_PROJECT, IDS_SEEN_CR, IDS_SEEN_EMPTY,
                                    IDS_SEEN_OTHER, IDS_SEEN_NOT_SHOWN};

void CheckWhatOthersSee(const char *user, const char *host, const char *posted)
{
    char answer[kAnswerSize];
    BeginExchange();
    NetLimitWaits(kDataWaitLimit);
    SOCKET s = TryConnectService("tcp", "finger", host);
    if (s == INVALID_SOCKET) {
        if (NetWaitFailed(WSAGetLastError())) {
            ReportWinsockError();
            return;
        }
        EndExchangeQuietly();
        ShowSeen(IDS_SEEN_NO_FINGER, user, host);
        return;
    }
    int length = FingerAnswer(s, user, answer);
    NetLimitWaits(0);
    if (length < 0)
        return;
    EndExchange();
    SeenVerdict verdict = JudgeFingerAnswer(answer, (size_t)length, posted);
    if (verdict != kSeenAsPosted)
        ShowSeen(kVerdictText[verdict], user, host);
}

static const UINT kWebVerdictText[] = {0, IDS_WEB_FORBIDDEN, IDS_WEB_NOT_FOUND, IDS_WEB_STATUS,
                                       IDS_WEB_OTHER};

void CheckWhatTheWebShows(const char *address, const char *posted)
{
    char answer[kAnswerSize];
    BeginExchange();
    NetLimitWaits(kDataWaitLimit);
    int length = FetchWebAnswer(address, answer);
    NetLimitWaits(0);
    if (length < 0)
        return;
    EndExchange();
    WebVerdict verdict = JudgeWebAnswer(answer, (size_t)length, posted);
    if (verdict != kWebAsPosted)
        ShowFound(kWebVerdictText[verdict], address);
}
