#include "post/post.h"

#include <string.h>
#include <time.h>

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "net/channel.h"
#include "net/connect.h"
#include "net/ftp.h"
#include "net/netio.h"
#include "net/report.h"
#include "net/watchdog.h"
#include "post/secure.h"
#include "post/statusline.h"
#include "res/resource.h"
#include "settings/connection.h"
#include "settings/profile.h"

struct UploadTarget {
    const char *enableKey;
    const char *enableDefault;
    const char *nameKey;
    const char *nameDefault;
    UINT breakText;  // the box when the name holds a line break
};

static const UploadTarget kTargets[] = {
    {"UploadFile1", "true", "UploadFile1Name", ".project", IDS_FILE1_BREAK},
    {"UploadFile2", "false", "UploadFile2Name", "public_html/ovra.txt", IDS_FILE2_BREAK},
};

// A reply whose code is not the one wanted ends the exchange with the reply in a box.
// Commands are formatted with wsprintfA, which writes at most 1,024 bytes: they always fit.
// breakText names the setting that argument comes from.
static int Converse(const char *format, const char *argument, UINT breakText, int wanted,
                    char *buffer, SOCKET control)
{
    wsprintfA(buffer, format, argument);
    if (SendCommand(buffer, kReplySize, breakText, control) != 0)
        return -1;
    return ExpectReply(wanted, buffer, control);
}

// Our end of the control connection, as the status line names it. A posting looks its name
// up once, started as soon as the connection stands so that it runs while the login waits
// for the server, and every status line of the posting takes the answer.
struct LocalEnd {
    SOCKET control;
    bool haveAddress;
    struct in_addr address;
    HANDLE lookup;     // started, not yet finished
    bool looked;       // the look-up has ended
    const char *name;  // its answer: null when it found none
    char entry[MAXGETHOSTSTRUCT];
};

static bool LocalAddress(SOCKET control, struct in_addr *address)
{
    struct sockaddr_in local;
    int size = sizeof local;
    if (getsockname(control, (struct sockaddr *)&local, &size) != 0)
        return false;
    *address = local.sin_addr;
    return true;
}

// Nothing is reported here: what fails is tried again when the first line needs it.
static void StartLocalName(LocalEnd *local)
{
    local->haveAddress = LocalAddress(local->control, &local->address);
    if (local->haveAddress)
        local->lookup = NetStartHostByAddr(&local->address);
}

// Only a cut-off or refused wait is a failure (reported); a look-up that finds no name
// leaves the name out.
static int FinishLocalName(LocalEnd *local)
{
    if (local->looked)
        return 0;
    if (!local->haveAddress && !LocalAddress(local->control, &local->address))
        return ReportWinsockError();
    local->haveAddress = true;
    struct hostent *entry = local->lookup != nullptr
                                ? NetFinishLookup(local->lookup, local->entry)
                                : NetGetHostByAddr(&local->address, local->entry);
    local->lookup = nullptr;
    if (entry == nullptr && NetWaitFailed(WSAGetLastError()))
        return ReportWinsockError();
    local->name = entry != nullptr ? entry->h_name : nullptr;
    local->looked = true;
    return 0;
}

// A posting with no line to compose never takes the answer.
static void DropLocalName(LocalEnd *local)
{
    if (local->lookup != nullptr)
        NetDropLookup(local->lookup);
    local->lookup = nullptr;
}

static void CheckPostItems(int command)
{
    HMENU menu = GetMenu(g_hMainWindow);
    bool on = command == IDM_POST_ON;
    CheckMenuItem(menu, IDM_POST_ON, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_POST_OFF, MF_BYCOMMAND | (on ? MF_UNCHECKED : MF_CHECKED));
}

static int ComposeStatusLine(char *buffer, int command, LocalEnd *local)
{
    bool on = command == IDM_POST_ON;
    char address[16] = "";
    if (on) {
        if (FinishLocalName(local) != 0)
            return -1;
        lstrcpynA(address, inet_ntoa(local->address), sizeof address);
    }
    CheckPostItems(command);
    // The 64-bit clock in both builds: the 32-bit one ends in January 2038.
    __time64_t now = _time64(nullptr);
    struct tm when = {};
    if (const struct tm *local = _localtime64(&now))
        when = *local;
    char zone[kSettingSize];
    ReadProfileText("Settings", "Timezone", "", zone, sizeof zone);
    FormatStatusLine(on, on ? local->name : nullptr, address, &when, zone, buffer, kReplySize);
    return 0;
}

int BuildStatusLine(char *buffer, int command, SOCKET control)
{
    LocalEnd local = {};
    local.control = control;
    return ComposeStatusLine(buffer, command, &local);
}

// One enabled target: its data connection, a freshly composed line, and the server's 226.
static int StoreTarget(const UploadTarget *target, int command, char *buffer, LocalEnd *local)
{
    SOCKET control = local->control;
    char value[kSettingSize];
    ReadProfileText("Settings", target->enableKey, target->enableDefault, value, sizeof value);
    if (lstrcmpiA(value, "true") != 0)
        return 0;
    ReadProfileText("Settings", target->nameKey, target->nameDefault, value, sizeof value);
    wsprintfA(buffer, "STOR %s", value);
    SOCKET data = ReadConnectionFlag(PASSIVE_MODE_KEY)
                      ? OpenPassiveDataConnection(buffer, kReplySize, target->breakText, control)
                      : OpenDataConnection(buffer, kReplySize, target->breakText, control);
    if (data == INVALID_SOCKET)
        return -1;
    if (ComposeStatusLine(buffer, command, local) != 0)
        return -1;
    if (ChannelSendAll(data, buffer, (int)strlen(buffer)) == SOCKET_ERROR)
        return ReportWinsockError();
    // Closing the data connection is what ends the file on the server.
    if (ChannelClose(data) != 0)
        return ReportWinsockError();
    return ExpectReply(226, buffer, control);
}

int PostStatus(int command, LoginInfo login, bool mayAskUser)
{
    char buffer[kReplySize];
    ArmWatchdog();
    SetBusy(1);
    SOCKET control = ConnectService("tcp", "ftp", login.host);
    if (control == INVALID_SOCKET)
        return -1;
    LocalEnd local = {};
    local.control = control;
    if (command == IDM_POST_ON)
        StartLocalName(&local);
    if (ExpectReply(220, buffer, control) != 0 ||
        (ReadConnectionFlag(SECURE_FTP_KEY) && SecureLogin(control, login.host, mayAskUser) != 0) ||
        Converse("USER %s", login.user, IDS_USER_BREAK, 331, buffer, control) != 0 ||
        Converse("PASS %s", login.password, IDS_PASSWORD_BREAK, 230, buffer, control) != 0)
        return -1;
    for (const UploadTarget &target : kTargets) {
        if (StoreTarget(&target, command, buffer, &local) != 0)
            return -1;
    }
    DropLocalName(&local);
    if (Converse("%s", "QUIT", 0, 221, buffer, control) != 0)
        return -1;
    if (ChannelClose(control) != 0)
        return ReportWinsockError();
    DisarmWatchdog();
    SetBusy(0);
    return 0;
}

BOOL ToggleAutoPost(int *autoPostFlag)
{
    *autoPostFlag = *autoPostFlag == 0 ? 1 : 0;
    HMENU menu = GetMenu(g_hMainWindow);
    if (*autoPostFlag == 1) {
        CheckMenuItem(menu, IDM_AUTO_POST, MF_BYCOMMAND | MF_CHECKED);
        // A whole On posting runs before the setting is written.
        IssueCommand(IDM_POST_ON);
    } else {
        CheckMenuItem(menu, IDM_AUTO_POST, MF_BYCOMMAND | MF_UNCHECKED);
    }
    return WriteProfileInt("Settings", "AutoPost", *autoPostFlag, ProfilePath());
}
