#include "post/post.h"

#include <string.h>
#include <time.h>

#include "app/appstate.h"
#include "app/handover.h"
#include "net/channel.h"
#include "net/connect.h"
#include "net/exchange.h"
#include "net/ftp.h"
#include "net/hostkey.h"
#include "net/hostport.h"
#include "net/netio.h"
#include "net/report.h"
#include "net/ssh.h"
#include "net/tls.h"
#include "net/transcript.h"
#include "post/secure.h"
#include "post/seen.h"
#include "post/statusline.h"
#include "res/resource.h"
#include "settings/values.h"
#include "settings/profile.h"

// Implicit TLS's own port (ftps), when the host names none.
enum { kImplicitTlsPort = 990 };

// One posting's control connection and what it makes ready ahead: our end's address and
// name, for PORT and the status line (the name is looked up once, while the server checks
// the password, and every line takes its answer).
struct Posting {
    int command;
    SOCKET control;
    bool haveAddress;
    NetAddress address;
    HANDLE lookup;     // started, not yet finished
    bool looked;       // the look-up has ended
    const char *name;  // its answer: null when it found none
    char entry[MAXGETHOSTSTRUCT];
    char posted[kReplySize];  // the first target's line, for the check of what others see
};

static void BeginPosting(Posting *posting, int command, SOCKET control)
{
    *posting = {};
    posting->command = command;
    posting->control = control;
}

// Nothing is reported here: what fails is tried again when it is needed.
static void StartLocalName(Posting *posting)
{
    posting->haveAddress = ControlLocalAddress(posting->control, &posting->address);
    if (posting->haveAddress && posting->command == IDM_POST_ON)
        posting->lookup = NetStartHostByAddr(&posting->address);
}

// Only a cut-off or refused wait is a failure (reported); a look-up that finds no name
// leaves the name out.
static int FinishLocalName(Posting *posting)
{
    if (posting->looked)
        return 0;
    if (!posting->haveAddress && !ControlLocalAddress(posting->control, &posting->address))
        return ReportWinsockError();
    posting->haveAddress = true;
    struct hostent *entry = posting->lookup != nullptr
                                ? NetFinishLookup(posting->lookup, posting->entry)
                                : NetGetHostByAddr(&posting->address, posting->entry);
    posting->lookup = nullptr;
    if (entry == nullptr && NetWaitFailed(WSAGetLastError()))
        return ReportWinsockError();
    posting->name = entry != nullptr ? entry->h_name : nullptr;
    posting->looked = true;
    return 0;
}

// Before connecting, what the server should not wait for: the settings read, and with
// Secure FTP the TLS machinery loaded (the settings are only a guess here: each step reads
// its own again).
static void MakeReady(void)
{
    // Each step still reads its keys when it comes to them (a value confirmed in a dialog
    // meanwhile counts), but then finds them kept and only looks at the file.
    PreloadPostingSettings();
    if (ReadSwitch(kSecureFtp) || ReadSwitch(kImplicitTls))
        TlsPrepare();
}

// What the posting made ready and did not use: a look-up is given up.
static void EndPosting(Posting *posting)
{
    if (posting->lookup != nullptr)
        NetDropLookup(posting->lookup);
    posting->lookup = nullptr;
}

// Commands are formatted with wsprintfA, which writes at most 1,024 bytes: they always fit.
// breakText names the setting that argument comes from.
static int Send(const char *format, const char *argument, UINT breakText, char *buffer,
                SOCKET control)
{
    wsprintfA(buffer, format, argument);
    return SendCommand(buffer, kReplySize, breakText, control);
}

// A reply whose code is not the one wanted ends the exchange with the reply in a box.
static int Converse(const char *format, const char *argument, UINT breakText, int wanted,
                    char *buffer, SOCKET control)
{
    if (Send(format, argument, breakText, buffer, control) != 0)
        return -1;
    return ExpectReply(wanted, buffer, control);
}

static void CheckPostItems(int command)
{
    HMENU menu = GetMenu(g_hMainWindow);
    bool on = command == IDM_POST_ON;
    CheckMenuItem(menu, IDM_POST_ON, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuItem(menu, IDM_POST_OFF, MF_BYCOMMAND | (on ? MF_UNCHECKED : MF_CHECKED));
}

static int ComposeStatusLine(char *buffer, int command, Posting *posting)
{
    bool on = command == IDM_POST_ON;
    char address[kAddressTextSize] = "";
    if (on) {
        if (FinishLocalName(posting) != 0)
            return -1;
        AddressText(&posting->address, false, address, sizeof address);
    }
    CheckPostItems(command);
    // The 64-bit clock in both builds: the 32-bit one ends in January 2038.
    __time64_t now = _time64(nullptr);
    struct tm when = {};
    if (const struct tm *local = _localtime64(&now))
        when = *local;
    char zone[kSettingSize];
    ReadSetting(kTimezone, zone);
    FormatStatusLine(on, on ? posting->name : nullptr, address, &when, zone, buffer, kReplySize);
    return 0;
}

static SOCKET OpenTargetConnection(int target, char *buffer, Posting *posting)
{
    UINT breakText = kUploadTargets[target].breakText;
    if (ReadSwitch(kPassiveMode))
        return OpenPassiveDataConnection(buffer, kReplySize, breakText, posting->control);
    return OpenDataConnection(posting->haveAddress ? &posting->address : nullptr, buffer,
                              kReplySize, breakText, posting->control);
}

// The line stored under name: its data connection, a freshly composed line, the server's
// 226 and, with readable files, SITE CHMOD (a refusal leaves the file as the server made it).
static int StoreAs(int target, const char *name, char *buffer, Posting *posting)
{
    wsprintfA(buffer, "STOR %s", name);
    SOCKET data = OpenTargetConnection(target, buffer, posting);
    if (data == INVALID_SOCKET)
        return -1;
    if (ComposeStatusLine(buffer, posting->command, posting) != 0)
        return -1;
    if (target == 0)
        lstrcpyA(posting->posted, buffer);
    if (ChannelSendAll(data, buffer, (int)strlen(buffer)) == SOCKET_ERROR)
        return ReportWinsockError();
    // Closing the data connection is what ends the file on the server.
    if (ChannelClose(data) != 0)
        return ReportWinsockError();
    if (ExpectReply(226, buffer, posting->control) != 0)
        return -1;
    if (!ReadSwitch(kReadableFiles))
        return 0;
    if (Send("SITE CHMOD 644 %s", name, kUploadTargets[target].breakText, buffer,
             posting->control) != 0)
        return -1;
    return ReadReply(kReplySize, buffer, posting->control) == -1 ? -1 : 0;
}

// The file a safe replacement stores first, beside the target so that the rename stays in
// one directory; a failed posting deletes it when the server still answers.
struct Replacement {
    SOCKET control;
    char temporary[kSettingSize + 16];
};

static void DeleteTemporary(void *context)
{
    const Replacement *replacement = (const Replacement *)context;
    NetLimitWaits(kDataWaitLimit);
    ConverseQuietly("DELE", replacement->temporary, replacement->control);
    NetLimitWaits(0);
}

// RNFR and RNTO: 0 when renamed, 1 when the server refused (the temporary file is deleted
// then), -1 after a reported failure.
static int RenameOver(const Replacement *replacement, const char *name, char *buffer)
{
    SOCKET control = replacement->control;
    int code = 0;
    if (Send("RNFR %s", replacement->temporary, 0, buffer, control) != 0 ||
        (code = ReadReply(kReplySize, buffer, control)) == -1)
        return -1;
    if (code == 350 && (Send("RNTO %s", name, 0, buffer, control) != 0 ||
                        (code = ReadReply(kReplySize, buffer, control)) == -1))
        return -1;
    if (code == 250)
        return 0;
    if (Send("DELE %s", replacement->temporary, 0, buffer, control) != 0 ||
        ReadReply(kReplySize, buffer, control) == -1)
        return -1;
    return 1;
}

// The old line stays in place until the new one is whole on the server. A server that will
// not rename over an existing file gets the plain STOR after all.
static int ReplaceSafely(int target, const char *name, char *buffer, Posting *posting)
{
    Replacement replacement = {posting->control, ""};
    wsprintfA(replacement.temporary, "%s.ovra-new", name);
    SetFailureCleanup(DeleteTemporary, &replacement);
    int stored = StoreAs(target, replacement.temporary, buffer, posting);
    SetFailureCleanup(nullptr, nullptr);
    if (stored != 0)
        return -1;
    int renamed = RenameOver(&replacement, name, buffer);
    return renamed == 1 ? StoreAs(target, name, buffer, posting) : renamed;
}

// Its name is added to stored (for the last exchange), after a comma if one is there already.
static void NoteStored(char *stored, const char *name)
{
    if (lstrlenA(stored) + lstrlenA(name) + 3 < kReplySize) {
        if (stored[0] != '\0')
            lstrcatA(stored, ", ");
        lstrcatA(stored, name);
    }
}

// One enabled target, stored in place or replaced safely.
static int StoreTarget(int target, char *buffer, Posting *posting, char *stored)
{
    if (!ReadSwitch(kUploadTargets[target].enable))
        return 0;
    char name[kSettingSize];
    ReadSetting(kUploadTargets[target].name, name);
    int result = ReadSwitch(kSafeReplace) ? ReplaceSafely(target, name, buffer, posting)
                                          : StoreAs(target, name, buffer, posting);
    if (result == 0)
        NoteStored(stored, name);
    return result;
}

// SSH hosts are Unix ones: the file ends its line as theirs do (an FTP server in ASCII
// mode makes the same change).
static int UnixLineEnd(char *line)
{
    int length = (int)strlen(line);
    if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') {
        line[length - 2] = '\n';
        line[--length] = '\0';
    }
    return length;
}

static int StoreTargetOverSsh(int target, char *buffer, Posting *posting, SshLink *link,
                              char *stored)
{
    if (!ReadSwitch(kUploadTargets[target].enable))
        return 0;
    char name[kSettingSize];
    ReadSetting(kUploadTargets[target].name, name);
    if (ComposeStatusLine(buffer, posting->command, posting) != 0) {
        SshDrop(link);  // the box is shown: only the session is left to free
        return -1;
    }
    if (SshWriteFile(link, name, buffer, UnixLineEnd(buffer)) != 0)
        return -1;
    NoteStored(stored, name);
    return 0;
}

// The same login and files over SSH: the host (with ":port" when it names one), its host
// key checked, then each enabled file written whole by SFTP.
static int PostOverSsh(Posting *posting, LoginInfo *login, bool mayAskUser)
{
    char host[kSettingSize];
    unsigned short port;
    SplitHostPort(login->host, host, sizeof host, &port);
    SOCKET s = ConnectService("tcp", "ssh", host, port);
    if (s == INVALID_SOCKET)
        return -1;
    posting->control = s;
    TranscriptOpened(s, kLinkCommands, IDS_LAST_CONNECTED);
    // While the keys are exchanged.
    StartLocalName(posting);
    SshLink link;
    if (SshStart(&link, s) != 0 || TrustHostKey(&link, login->host, mayAskUser) != 0 ||
        SshLogin(&link, login) != 0)
        return -1;
    char buffer[kReplySize];
    char stored[kReplySize] = "";
    for (int target = 0; target < kTargetCount; target++) {
        if (StoreTargetOverSsh(target, buffer, posting, &link, stored) != 0)
            return -1;
    }
    EndPosting(posting);
    if (SshFinish(&link) != 0)
        return -1;
    TranscriptSucceeded(stored[0] != '\0' ? IDS_LAST_STORED : IDS_LAST_NOTHING_STORED, stored);
    EndExchange();
    return 0;
}

// The web page target's address, when it is on and one is set.
static void CheckTheWebPage(const char *posted)
{
    char address[kSettingSize];
    ReadSetting(kCheckWebAddress, address);
    if (ReadSwitch(kUploadFile2) && address[0] != '\0')
        CheckWhatTheWebShows(address, posted);
}

int PostStatus(int command, LoginInfo login, bool mayAskUser)
{
    char buffer[kReplySize];
    BeginExchange();
    TranscriptBegin(command == IDM_POST_ON ? IDS_LAST_POST_ON : IDS_LAST_POST_OFF, login.host);
    Posting posting;
    BeginPosting(&posting, command, INVALID_SOCKET);
    MakeReady();
    if (ReadSwitch(kSftpPost))
        return PostOverSsh(&posting, &login, mayAskUser);
    // A host that does not split is looked up as it stands, and fails as a name.
    char host[kSettingSize];
    unsigned short port;
    SplitHostPort(login.host, host, sizeof host, &port);
    bool implicitTls = ReadSwitch(kImplicitTls);
    if (implicitTls && port == 0)
        port = kImplicitTlsPort;
    SOCKET control = ConnectService("tcp", "ftp", host, port);
    if (control == INVALID_SOCKET)
        return -1;
    posting.control = control;
    TranscriptOpened(control, kLinkCommands, IDS_LAST_CONNECTED);
    if ((implicitTls ? ImplicitSecureStart(control, host, mayAskUser) != 0
                     : ExpectGreeting(buffer, control) != 0 ||
                           (ReadSwitch(kSecureFtp) && SecureLogin(control, host, mayAskUser) != 0)) ||
        Converse("USER %s", login.user, IDS_USER_BREAK, 331, buffer, control) != 0 ||
        Send("PASS %s", login.password, IDS_PASSWORD_BREAK, buffer, control) != 0)
        return -1;
    // While the server checks the password.
    StartLocalName(&posting);
    if (ExpectReply(230, buffer, control) != 0)
        return -1;
    char stored[kReplySize] = "";
    for (int target = 0; target < kTargetCount; target++) {
        if (StoreTarget(target, buffer, &posting, stored) != 0)
            return -1;
    }
    EndPosting(&posting);
    if (Converse("%s", "QUIT", 0, 221, buffer, control) != 0)
        return -1;
    if (ChannelClose(control) != 0)
        return ReportWinsockError();
    TranscriptSucceeded(stored[0] != '\0' ? IDS_LAST_STORED : IDS_LAST_NOTHING_STORED, stored);
    EndExchange();
    if (ReadSwitch(kCheckSeen) && posting.posted[0] != '\0') {
        CheckWhatOthersSee(login.user, host, posting.posted);
        CheckTheWebPage(posting.posted);
    }
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
    return WriteSettingInt(kAutoPost, *autoPostFlag);
}
