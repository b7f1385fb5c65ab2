// Posting the status: against the real FTP daemon (stored content, both targets, the
// Auto Post paths) and against scripted peers (the exact commands, every failure).
#include "app.h"
#include "ftp_daemon.h"
#include "peer.h"

#include <atomic>
#include <memory>
#include <regex>
#include <vector>

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "app/handover.h"
#include "net/netio.h"
#include "net/watchdog.h"
#include "post/post.h"
#include "res/resource.h"

namespace {

using namespace daemon_ftp;

bool Checked(UINT command)
{
    return (MenuState(command) & MF_CHECKED) != 0;
}

std::string LogPath(const std::string &daemon = "ftp")
{
    return Directory(daemon) + "\\commands.log";
}

// The commands the daemon logged after offset, one per line ("PORT ...": arguments vary).
std::vector<std::string> LoggedSince(size_t offset, const std::string &daemon = "ftp")
{
    std::string log = ReadWhole(LogPath(daemon), "");
    std::vector<std::string> commands;
    std::istringstream lines(log.size() > offset ? log.substr(offset) : "");
    std::string line;
    while (std::getline(lines, line)) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
            line.pop_back();
        commands.push_back(line.rfind("PORT ", 0) == 0 ? "PORT" : line);
    }
    return commands;
}

// The session's log lines arrive after the client has gone: wait for its QUIT.
std::vector<std::string> SessionCommands(size_t offset)
{
    PumpUntil([&] {
        auto commands = LoggedSince(offset);
        return !commands.empty() && commands.back() == "QUIT";
    }, 10000);
    return LoggedSince(offset);
}

class DaemonPostTest : public OvraTest {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        if (!Reachable())
            GTEST_SKIP() << kNotRunning;
        for (const char *name : {".project", "public_html/ovra.txt", "status.txt"})
            RemoveStored(name);
        WriteLogin(kAddress, kUser, kPassword);
        WriteIni("Settings", "Timezone", "EST");
        logMark = ReadWhole(LogPath(), "").size();
    }

    void ExpectStored(const std::string &name, const std::string &pattern,
                      const std::string &daemon = "ftp")
    {
        std::string content = Stored(name, daemon);
        EXPECT_TRUE(std::regex_match(content, std::regex(pattern))) << name << ": " << content;
    }

    void ExpectNoBox()
    {
        for (const SeenBox &box : boxes.Take())
            ADD_FAILURE() << "box " << box.caption << ": " << box.text;
    }

    size_t logMark = 0;
};

TEST_F(DaemonPostTest, PostOnStoresTheOnLineInTheFirstTargetOnly)
{
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    ExpectNoBox();
    ExpectStored(".project", OnPattern("EST"));
    EXPECT_EQ("<missing>", Stored("public_html/ovra.txt"));
    EXPECT_TRUE(Checked(IDM_POST_ON));
    EXPECT_FALSE(Checked(IDM_POST_OFF));
    ExpectIdle();
    // Only the five commands: no TYPE, CWD or PASV.
    std::vector<std::string> expected = {"USER ovra", "PASS (hidden)", "PORT", "STOR .project",
                                         "QUIT"};
    EXPECT_EQ(expected, SessionCommands(logMark));
}

TEST_F(DaemonPostTest, PostOffReplacesTheLineAndMovesTheCheckMark)
{
    WriteIni("Settings", "Timezone", "");
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    ExpectStored(".project", OnPattern(""));
    Command(IDM_POST_OFF);
    ExpectNoBox();
    ExpectStored(".project", OffPattern(""));
    EXPECT_FALSE(Checked(IDM_POST_ON));
    EXPECT_TRUE(Checked(IDM_POST_OFF));
    ExpectIdle();
}

TEST_F(DaemonPostTest, BothTargetsAreStoredUnderTheirNames)
{
    WriteIni("Settings", "UploadFile2", "true");
    WriteIni("Settings", "UploadFile1Name", "status.txt");
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    ExpectNoBox();
    ExpectStored("status.txt", OnPattern("EST"));
    ExpectStored("public_html/ovra.txt", OnPattern("EST"));
    EXPECT_EQ("<missing>", Stored(".project"));
    ExpectIdle();
    std::vector<std::string> expected = {"USER ovra", "PASS (hidden)", "PORT",
                                         "STOR status.txt", "PORT",
                                         "STOR public_html/ovra.txt", "QUIT"};
    EXPECT_EQ(expected, SessionCommands(logMark));
}

TEST_F(DaemonPostTest, EnableWordIgnoresCaseButNothingElse)
{
    WriteIni("Settings", "UploadFile1", "TRUE");
    WriteIni("Settings", "UploadFile2", "yes");
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_OFF);
    ExpectNoBox();
    ExpectStored(".project", OffPattern("EST"));
    EXPECT_EQ("<missing>", Stored("public_html/ovra.txt"));

    WriteIni("Settings", "UploadFile1", "1");
    WriteIni("Settings", "UploadFile2", "tRuE");
    RemoveStored(".project");
    Command(IDM_POST_ON);
    ExpectNoBox();
    EXPECT_EQ("<missing>", Stored(".project"));
    ExpectStored("public_html/ovra.txt", OnPattern("EST"));
}

TEST_F(DaemonPostTest, BothTargetsOffLogsInAndOutAndLeavesTheMarks)
{
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    ASSERT_TRUE(Checked(IDM_POST_ON));
    std::string before = Stored(".project");
    WriteIni("Settings", "UploadFile1", "false");
    logMark = ReadWhole(LogPath(), "").size();
    Command(IDM_POST_OFF);
    ExpectNoBox();
    EXPECT_EQ(before, Stored(".project"));
    EXPECT_EQ("<missing>", Stored("public_html/ovra.txt"));
    EXPECT_TRUE(Checked(IDM_POST_ON));
    EXPECT_FALSE(Checked(IDM_POST_OFF));
    ExpectIdle();
    std::vector<std::string> expected = {"USER ovra", "PASS (hidden)", "QUIT"};
    EXPECT_EQ(expected, SessionCommands(logMark));
}

// The name of our end is looked up during the login; with nothing to post it is given up.
TEST_F(DaemonPostTest, OnWithBothTargetsOffLeavesNoLookUpBehind)
{
    WriteIni("Settings", "UploadFile1", "false");
    ASSERT_EQ(0, StartApp());
    logMark = ReadWhole(LogPath(), "").size();
    Command(IDM_POST_ON);
    ExpectNoBox();
    ExpectIdle();
    std::vector<std::string> expected = {"USER ovra", "PASS (hidden)", "QUIT"};
    EXPECT_EQ(expected, SessionCommands(logMark));
}

TEST_F(DaemonPostTest, AutoPostAtStartPostsOnAndClosingPostsOff)
{
    WriteIni("Settings", "AutoPost", "1");
    ASSERT_EQ(0, StartApp());
    ExpectNoBox();
    ExpectStored(".project", OnPattern("EST"));
    EXPECT_TRUE(Checked(IDM_AUTO_POST));
    EXPECT_TRUE(Checked(IDM_POST_ON));
    EXPECT_EQ(1, g_AutoPostFlag);
    StopApp();
    ExpectNoBox();
    ExpectStored(".project", OffPattern("EST"));
}

TEST_F(DaemonPostTest, AutoPostCommandPostsOnWhenSetAndNothingWhenCleared)
{
    ASSERT_EQ(0, StartApp());
    Command(IDM_AUTO_POST);
    ExpectNoBox();
    EXPECT_EQ(1, g_AutoPostFlag);
    EXPECT_TRUE(Checked(IDM_AUTO_POST));
    EXPECT_EQ("1", ReadIni("Settings", "AutoPost"));
    ExpectStored(".project", OnPattern("EST"));
    ExpectIdle();

    RemoveStored(".project");
    Command(IDM_AUTO_POST);
    EXPECT_EQ(0, g_AutoPostFlag);
    EXPECT_FALSE(Checked(IDM_AUTO_POST));
    EXPECT_EQ("0", ReadIni("Settings", "AutoPost"));
    EXPECT_EQ("<missing>", Stored(".project"));
    StopApp();  // the flag is clear: nothing is posted at exit
    EXPECT_EQ("<missing>", Stored(".project"));
}

TEST_F(DaemonPostTest, SessionEndPostsOffOnceAndNotAgainAtDestroy)
{
    WriteIni("Settings", "AutoPost", "1");
    ASSERT_EQ(0, StartApp());
    ExpectStored(".project", OnPattern("EST"));
    SendMessageA(g_hMainWindow, WM_ENDSESSION, FALSE, 0);  // cancelled: nothing happens
    ExpectStored(".project", OnPattern("EST"));
    SendMessageA(g_hMainWindow, WM_ENDSESSION, TRUE, 0);
    ExpectNoBox();
    ExpectStored(".project", OffPattern("EST"));
    ExpectIdle();
    RemoveStored(".project");
    StopApp();
    EXPECT_EQ("<missing>", Stored(".project")) << "Off was posted a second time";
}

// Secure FTP, passive mode and a NAT router, against the real daemons of tests/servers
// (ftps.sh, vsftpd.sh, nat.sh): what is stored, the commands the daemon logged (proftpd's),
// and the certificate question or the box.
struct ConnectionCase {
    const char *name;
    const char *host;
    const char *daemon;              // its directory: home and command log
    const char *secure, *passive;    // the two settings
    LPARAM origin;                   // 0 from the menu, or kPostUnattended
    int answer;                      // the button pressed in the certificate question, or 0
    const char *caption;             // the question's or the box's, or null for success
    const char *text;                // what its text holds
    std::vector<std::string> commands;  // the session as proftpd logged it (not vsftpd's)
    const char *pinned = nullptr;    // a fingerprint pinned for host beforehand
    const char *exchange = nullptr;  // what the last exchange holds (the data connection's command)
};

// The IPv4 address of a host named by name, or in IPv6 form ("[::ffff:a.b.c.d]:port").
std::string ServerOf(const char *host)
{
    if (const char *mapped = strstr(host, "::ffff:"))
        return std::string(mapped + 7, strcspn(mapped + 7, "]"));
    struct hostent *entry = gethostbyname(host);
    return entry != nullptr ? inet_ntoa(*(struct in_addr *)entry->h_addr_list[0]) : "";
}

// An IPv6 connection shows our end in IPv6 form in the status line.
std::string LocalPattern(bool ipv6)
{
    return ipv6 ? "::ffff:127\\.0\\.0\\.1" : "127\\.0\\.0\\.1";
}

void PrintTo(const ConnectionCase &c, std::ostream *os)
{
    *os << c.name;
}

class ConnectionPostTest : public DaemonPostTest, public ::testing::WithParamInterface<ConnectionCase> {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        const ConnectionCase &c = GetParam();
        std::string server = ServerOf(c.host);
        if (server.empty() || !Reachable(server.c_str()))
            GTEST_SKIP() << "no daemon of tests/servers answers as " << c.host << " here";
        static bool trusted = TrustTestAuthority();
        ASSERT_TRUE(trusted) << "the tests' certificate authority cannot be trusted";
        RemoveStored(".project", c.daemon);
        WriteLogin(c.host, kUser, kPassword);
        WriteIni("Settings", "Timezone", "EST");
        WriteIni("Settings", "SecureFtp", c.secure);
        WriteIni("Settings", "PassiveMode", c.passive);
        if (c.pinned != nullptr)
            WriteIni("Certificates", c.host, c.pinned);
        logMark = ReadWhole(LogPath(c.daemon), "").size();
    }
};

// The session's commands once the daemon has logged at least count of them.
std::vector<std::string> LoggedCommands(size_t offset, const std::string &daemon, size_t count)
{
    PumpUntil([&] { return LoggedSince(offset, daemon).size() >= count; }, 10000);
    PumpUntil([] { return false; }, 200);  // and any that should not have come
    return LoggedSince(offset, daemon);
}

TEST_P(ConnectionPostTest, StoresOrEndsAsTheServerAndTheUserDecide)
{
    const ConnectionCase &c = GetParam();
    ASSERT_EQ(0, StartApp());
    std::string question;
    if (c.answer != 0) {
        boxes.OnDialog(c.caption, [&](HWND box) {
            question = WindowText(GetDlgItem(box, 0xFFFF));
            PressButton(box, c.answer);
        });
    }
    Command(IDM_POST_ON, c.origin);
    std::vector<SeenBox> seen = boxes.Take();
    if (c.answer != 0) {
        EXPECT_NE(std::string::npos, question.find(c.text)) << question;
        EXPECT_TRUE(seen.empty());
    } else if (c.caption != nullptr) {
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(c.caption, seen[0].caption);
        EXPECT_NE(std::string::npos, seen[0].text.find(c.text)) << seen[0].text;
    } else {
        for (const SeenBox &box : seen)
            ADD_FAILURE() << "box " << box.caption << ": " << box.text;
        // TLS marks each line that went under it, on the data connection too.
        std::string last = LastExchange();
        bool secure = std::string(c.secure) == "true";
        EXPECT_EQ(secure, last.find("#1 TLS > USER ovra\r\n") != std::string::npos) << last;
        EXPECT_EQ(secure, last.find("#2 TLS > OVRA ON ") != std::string::npos) << last;
        if (c.exchange != nullptr) {
            EXPECT_NE(std::string::npos, last.find(c.exchange)) << last;
        }
    }
    bool stored = c.caption == nullptr || c.answer == IDYES;
    if (stored)
        ExpectStored(".project", OnPattern("EST", LocalPattern(c.host[0] == '[')), c.daemon);
    else
        EXPECT_EQ("<missing>", Stored(".project", c.daemon));
    if (!c.commands.empty()) {
        EXPECT_EQ(c.commands, LoggedCommands(logMark, c.daemon, c.commands.size()));
    }
    if (c.answer != IDYES) {
        EXPECT_EQ(c.pinned != nullptr ? c.pinned : "<none>", ReadIni("Certificates", c.host));
        ExpectIdle();
        return;
    }
    // Yes pins the fingerprint shown; later postings, unattended too, take it without asking.
    std::smatch shown;
    ASSERT_TRUE(std::regex_search(question, shown, std::regex("SHA-256: ((?:[0-9A-F]{2}:){31}[0-9A-F]{2})")));
    EXPECT_EQ(shown[1].str(), ReadIni("Certificates", c.host));
    Command(IDM_POST_OFF, kPostUnattended);
    ExpectNoBox();
    ExpectStored(".project", OffPattern("EST"), c.daemon);
    ExpectIdle();
}

const char kCertificate[] = "Ovra Certificate";
const char kFtpErrorBox[] = "Ovra FTP Error";
const std::vector<std::string> kSecured = {"AUTH TLS", "PBSZ 0", "PROT P", "USER ovra", "PASS (hidden)"};
// With Secure FTP the file is replaced safely unless that is turned off.
const std::vector<std::string> kSafeStore = {"STOR .project.ovra-new", "RNFR .project.ovra-new",
                                             "RNTO .project", "QUIT"};

std::vector<std::string> Then(std::vector<std::string> first, const std::vector<std::string> &more)
{
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ConnectionPostTest,
    ::testing::Values(
        ConnectionCase{"ProftpdTlsActive", "ftps.ovra.test", "ftps", "true", "false", 0, 0, nullptr, "",
                       Then(kSecured, Then({"PORT"}, kSafeStore))},
        ConnectionCase{"ProftpdTlsPassive", "ftps.ovra.test", "ftps", "true", "true", 0, 0, nullptr, "",
                       Then(kSecured, Then({"PASV"}, kSafeStore))},
        ConnectionCase{"VsftpdTlsActive", "vsftps.ovra.test", "vsftpd", "true", "false", 0, 0, nullptr, "", {}},
        ConnectionCase{"VsftpdTlsPassive", "vsftps.ovra.test", "vsftpd", "true", "true", 0, 0, nullptr, "", {}},
        // IPv6 to vsftpd's IPv6 socket: EPSV and EPRT, never PASV and PORT.
        ConnectionCase{"VsftpdIPv6Passive", "[::ffff:127.0.1.25]:2121", "vsftpd", "false", "true", 0, 0, nullptr,
                       "", {}, nullptr, "> EPSV\r\n"},
        ConnectionCase{"VsftpdIPv6Active", "[::ffff:127.0.1.25]:2121", "vsftpd", "false", "false", 0, 0, nullptr,
                       "", {}, nullptr, "> EPRT |2|::ffff:127.0.0.1|"},
        // 125 to STOR (the data connection is made already), LF stored.
        ConnectionCase{"PyftpdlibPassive", "127.0.1.28", "pyftpdlib", "false", "true", 0, 0, nullptr, "", {}, nullptr,
                       "> STOR .project\r\n"},
        // Renames refused (pure-ftpd -G): replaced safely all the same, by a plain STOR after all.
        ConnectionCase{"PureFtpdRefusesRenamesStoresInPlace", "pure.ovra.test", "pure-ftpd", "true", "true", 0, 0,
                       nullptr, "", {}, nullptr, "> STOR .project\r\n"},
        ConnectionCase{"PlainPassive", kAddress, "ftp", "false", "TRUE", 0, 0, nullptr, "",
                       {"USER ovra", "PASS (hidden)", "PASV", "STOR .project", "QUIT"}},
        ConnectionCase{"NatRefusesActiveModeWithAHint", "127.0.0.30", "nat", "false", "false", 0, 0,
                       kFtpErrorBox, "500 Illegal PORT command\r\n\r\nTurning on Passive mode in Settings > Connection may help.",
                       {"USER ovra", "PASS (hidden)", "PORT"}},
        ConnectionCase{"NatPassiveModeStores", "127.0.0.30", "nat", "false", "true", 0, 0, nullptr, "",
                       {"USER ovra", "PASS (hidden)", "PASV", "STOR .project", "QUIT"}},
        ConnectionCase{"ProftpdAsksForTlsWithAHint", "ftps.ovra.test", "ftps", "false", "true", 0, 0, kFtpErrorBox,
                       "550 SSL/TLS required on the control channel\r\n\r\nThe server asks for TLS: turn on "
                       "Secure FTP in Settings > Connection.", {"USER ovra"}},
        ConnectionCase{"VsftpdAsksForTlsWithAHint", "vsftps.ovra.test", "vsftpd", "false", "false", 0, 0, kFtpErrorBox,
                       "530 Non-anonymous sessions must use encryption.\r\n\r\nThe server asks for TLS", {}},
        ConnectionCase{"AuthTlsRefusedNeverSendsThePassword", kAddress, "ftp", "true", "false", 0, 0, kFtpErrorBox,
                       "500 AUTH not understood\r\n", {"AUTH TLS"}},
        ConnectionCase{"WrongHostNameDeclined", "wrong.ovra.test", "ftps", "true", "false", 0, IDNO, kCertificate,
                       "The certificate of wrong.ovra.test cannot be verified: it was issued for another host name.",
                       {"AUTH TLS"}},
        ConnectionCase{"UnknownAuthorityDeclined", "unknown.ovra.test", "ftps-unknown", "true", "true", 0, IDNO,
                       kCertificate, "issued by an authority this computer does not trust", {"AUTH TLS"}},
        ConnectionCase{"UnknownAuthorityAcceptedIsPinned", "unknown.ovra.test", "ftps-unknown", "true", "false",
                       0, IDYES, kCertificate, "\r\nSubject: CN=unknown.ovra.test, O=\"Ovra Test\"\r\n"
                       "Issuer: CN=Ovra Unknown CA, O=\"Ovra Test\"\r\n\r\nTrust this certificate",
                       Then(kSecured, Then({"PORT"}, kSafeStore))},
        // Unattended, and only another certificate pinned for the host: refused, not asked.
        ConnectionCase{"UnknownAuthorityUnattended", "unknown.ovra.test", "ftps-unknown", "true", "false",
                       kPostUnattended, 0, kCertificate, "\r\n\r\nPost once from the menu to review the certificate.",
                       {"AUTH TLS"}, "00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00:00"}),
    [](const ::testing::TestParamInfo<ConnectionCase> &info) { return std::string(info.param.name); });

// Posting over SFTP to the real OpenSSH daemons of tests/servers/ssh.sh: the host key
// trusted on first use (its fingerprint as ssh-keygen prints it), pinned, changed; password
// and key logins; a server whose only host key Ovra cannot check.
struct SftpCase {
    const char *name;
    const char *host;
    const char *pinned;        // "ecdsa": the daemon's own key; another text as it stands
    LPARAM origin;             // 0 from the menu, or kPostUnattended
    int answer;                // the button pressed in the host-key question, or 0
    const char *password;
    bool withKey;              // log in with client_rsa (passphrase "keypass") instead
    const char *box;           // the box's caption, or null when the posting stores
    const char *text;          // what the box or the question holds
    const char *logged;        // what the daemon's log holds afterwards, or null
    bool noPassword;           // the daemon saw no password at all
};

void PrintTo(const SftpCase &c, std::ostream *os)
{
    *os << c.name;
}

class SftpPostTest : public DaemonPostTest, public ::testing::WithParamInterface<SftpCase> {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        const SftpCase &c = GetParam();
        if (!Answers(c.host))
            GTEST_SKIP() << "no sshd of tests/servers/ssh.sh answers at " << c.host;
        RemoveStored(".project", "ssh");
        WriteLogin(c.host, kUser, c.password);
        if (c.withKey) {
            char stored[128];
            ScramblePassword("keypass", stored, sizeof stored);
            WriteIni("Login", "KeyFile", (Directory("ssh") + "\\client_rsa").c_str());
            WriteIni("Login", "KeyPassphrase", stored);
        }
        WriteIni("Settings", "Timezone", "EST");
        WriteIni("Settings", "SftpPost", "true");
        if (c.pinned != nullptr)
            WriteIni("HostKeys", c.host, strcmp(c.pinned, "ecdsa") == 0 ? OwnKey().c_str() : c.pinned);
        logMark = Log().size();
    }

    static bool Answers(const std::string &host)
    {
        if (Directory().empty())
            return false;
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        struct sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(2222);
        a.sin_addr.s_addr = inet_addr(host.substr(0, host.find(':')).c_str());
        bool ok = connect(s, (struct sockaddr *)&a, sizeof a) == 0;
        closesocket(s);
        return ok;
    }

    // "SHA256:..." of the daemon's ECDSA host key, from ssh-keygen -lf.
    static std::string OwnKey()
    {
        std::string line = ReadWhole(Directory("ssh") + "\\host_ecdsa.fingerprint", "");
        std::smatch m;
        return std::regex_search(line, m, std::regex("SHA256:[A-Za-z0-9+/]{43}")) ? m.str() : "<none>";
    }

    std::string Log() const
    {
        std::string daemon = strcmp(GetParam().host, kSshHost) == 0 ? "ssh" : "ssh-ed25519";
        return ReadWhole(Directory("ssh") + "\\" + daemon + "\\sshd.log", "");
    }

    static constexpr const char *kSshHost = "127.0.1.40:2222";
};

TEST_P(SftpPostTest, StoresOrEndsAsTheServerAndTheUserDecide)
{
    const SftpCase &c = GetParam();
    ASSERT_EQ(0, StartApp());
    std::string question;
    if (c.answer != 0) {
        boxes.OnDialog("Ovra Host Key", [&](HWND box) {
            question = WindowText(GetDlgItem(box, 0xFFFF));
            PressButton(box, c.answer);
        });
    }
    Command(IDM_POST_ON, c.origin);
    std::vector<SeenBox> seen = boxes.Take();
    if (c.box != nullptr) {
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(c.box, seen[0].caption);
        EXPECT_NE(std::string::npos, seen[0].text.find(c.text)) << seen[0].text;
    } else {
        for (const SeenBox &box : seen)
            ADD_FAILURE() << "box " << box.caption << ": " << box.text;
    }
    if (c.answer != 0) {
        // The key on lines of its own, the fingerprint exactly as OpenSSH prints it.
        EXPECT_NE(std::string::npos, question.find("\r\n\r\necdsa-sha2-nistp256\r\n" + OwnKey() + "\r\n\r\n"))
            << question;
        EXPECT_NE(std::string::npos, question.find(c.text)) << question;
    }
    bool stored = c.box == nullptr && c.answer != IDNO;
    if (stored)
        ExpectStored(".project", OnPattern("EST"), "ssh");
    else
        EXPECT_EQ("<missing>", Stored(".project", "ssh"));
    PumpUntil([&] { return c.logged == nullptr || Log().find(c.logged, logMark) != std::string::npos; }, 5000);
    if (c.logged != nullptr) {
        EXPECT_NE(std::string::npos, Log().find(c.logged, logMark)) << Log().substr(logMark);
    }
    if (c.noPassword) {
        EXPECT_EQ(std::string::npos, Log().find("password for", logMark)) << Log().substr(logMark);
    }
    ExpectIdle();
    if (c.answer == IDYES || (c.pinned != nullptr && c.box == nullptr)) {
        // Pinned now: later postings, unattended ones too, go on without asking.
        EXPECT_EQ(OwnKey(), ReadIni("HostKeys", c.host));
        Command(IDM_POST_OFF, kPostUnattended);
        ExpectNoBox();
        ExpectStored(".project", OffPattern("EST"), "ssh");
        ExpectIdle();
    } else if (c.pinned == nullptr) {
        EXPECT_EQ("<none>", ReadIni("HostKeys", c.host));
    }
}

const char kSshBox[] = "Ovra SSH Error";
const char kHostKeyBox[] = "Ovra Host Key";

INSTANTIATE_TEST_SUITE_P(
    Servers, SftpPostTest,
    ::testing::Values(
        SftpCase{"FirstUseAcceptedIsPinned", "127.0.1.40:2222", nullptr, 0, IDYES, kPassword, false, nullptr,
                 "Trust this host key for 127.0.1.40:2222 from now on?", "Accepted password for ovra", false},
        SftpCase{"FirstUseDeclinedSendsNoPassword", "127.0.1.40:2222", nullptr, 0, IDNO, kPassword, false,
                 nullptr, "Ovra has not logged in to 127.0.1.40:2222 by SSH before.", nullptr, true},
        SftpCase{"FirstUseUnattendedIsRefused", "127.0.1.40:2222", nullptr, kPostUnattended, 0, kPassword, false,
                 kHostKeyBox, "\r\n\r\nPost once from the menu to review the host key.", nullptr, true},
        SftpCase{"ChangedKeyIsRefusedBeforeThePassword", "127.0.1.40:2222",
                 "SHA256:AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", 0, 0, kPassword, false, kHostKeyBox,
                 "The host key of 127.0.1.40:2222 has changed", nullptr, true},
        SftpCase{"WrongPasswordIsNamed", "127.0.1.40:2222", "ecdsa", 0, 0, "wrong", false, kSshBox,
                 "The server refused the password for ovra.", "Failed password for ovra", false},
        SftpCase{"KeyLoginStores", "127.0.1.40:2222", "ecdsa", 0, 0, "", true, nullptr, "",
                 "Accepted publickey for ovra", true},
        SftpCase{"OnlyEd25519HostKeysSaysWhy", "127.0.1.41:2222", nullptr, 0, 0, kPassword, false, kSshBox,
                 "Ovra and the server have no host key type in common.\r\n\r\nThe server offers: ssh-ed25519\r\n",
                 nullptr, true}),
    [](const ::testing::TestParamInfo<SftpCase> &info) { return std::string(info.param.name); });

// Daemons that require a data connection to resume the control connection's TLS session,
// which Wine never does: the posting fails after the server has truncated the target. The
// old line is written first through a daemon of the same home that does not require it
// (seed), or straight into the home when the daemon runs as root.
struct ReuseCase {
    const char *name;
    const char *host, *daemon;
    const char *seed;       // a host that posts the old line, or null
    const char *boxText;    // what the box holds (a regular expression)
    bool answersAfter;      // the session goes on after the failure (vsftpd ends it)
};

void PrintTo(const ReuseCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReuseRequiredTest : public DaemonPostTest, public ::testing::WithParamInterface<ReuseCase> {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        struct hostent *entry = gethostbyname(GetParam().host);
        if (entry == nullptr || !Reachable(inet_ntoa(*(struct in_addr *)entry->h_addr_list[0])))
            GTEST_SKIP() << "no daemon of tests/servers answers as " << GetParam().host << " here";
        static bool trusted = TrustTestAuthority();
        ASSERT_TRUE(trusted);
        WriteIni("Settings", "SecureFtp", "true");
        WriteIni("Settings", "Timezone", "EST");
        WriteLogin(GetParam().host, kUser, kPassword);
    }

    // The old line, as the daemon's account owns it; what it holds.
    std::string SeedOldLine()
    {
        const ReuseCase &c = GetParam();
        RemoveStored(".project", c.daemon);
        if (c.seed == nullptr) {
            std::ofstream(HomePath(".project", c.daemon), std::ios::binary) << "OVRA OFF Mon Dec 07 18:02:11 2026 EST\r\n";
        } else {
            lstrcpyA(g_LoginInfo.host, c.seed);
            Command(IDM_POST_OFF);
            ExpectNoBox();
        }
        lstrcpyA(g_LoginInfo.host, c.host);
        return Stored(".project", c.daemon);
    }

    void PostOnExpectingTheBox()
    {
        Command(IDM_POST_ON);
        auto seen = boxes.Take();
        ASSERT_EQ(1u, seen.size());
        EXPECT_TRUE(std::regex_search(seen[0].text, std::regex(GetParam().boxText))) << seen[0].text;
    }
};

TEST_P(ReuseRequiredTest, TheOldLineSurvivesOnlyWhenReplacedSafely)
{
    const ReuseCase &c = GetParam();
    ASSERT_EQ(0, StartApp());
    // Stored in place, the file is gone before the transfer fails.
    WriteIni("Settings", "SafeReplace", "false");
    std::string old = SeedOldLine();
    ASSERT_TRUE(std::regex_match(old, std::regex(OffPattern("EST")))) << old;
    PostOnExpectingTheBox();
    EXPECT_EQ("", Stored(".project", c.daemon));
    // Replaced safely (Secure FTP's default): the old line stays, and where the server still
    // answers nothing is left beside it.
    WriteIni("Settings", "SafeReplace", "");
    old = SeedOldLine();
    PostOnExpectingTheBox();
    EXPECT_EQ(old, Stored(".project", c.daemon));
    if (c.answersAfter) {
        EXPECT_EQ("<missing>", Stored(".project.ovra-new", c.daemon));
    }
    ExpectIdle();
}

INSTANTIATE_TEST_SUITE_P(
    Servers, ReuseRequiredTest,
    ::testing::Values(
        ReuseCase{"VsftpdStock", "stock.ovra.test", "vsftpd", "vsftps.ovra.test",
                  "522 SSL connection failed: session reuse required", false},
        ReuseCase{"ProftpdDefault", "reuse.ovra.test", "ftps-reuse", nullptr,
                  // The data connection's reset and the 425 race.
                  "^(425 Unable to build data connection|\\[10054\\] Connection reset by peer)", true}),
    [](const ::testing::TestParamInfo<ReuseCase> &info) { return std::string(info.param.name); });

// vsftpd's stock umask makes a new .project 0600, which the finger daemon (running as
// nobody) cannot read, nor can the web server: the check after posting says so, and
// readable files cure it.
TEST_F(DaemonPostTest, CheckAfterPostingFindsTheFileUnreadableUntilMadeReadable)
{
    struct hostent *entry = gethostbyname("umask.ovra.test");
    if (entry == nullptr || !Reachable(inet_ntoa(*(struct in_addr *)entry->h_addr_list[0])))
        GTEST_SKIP() << "no vsftpd of tests/servers answers as umask.ovra.test here";
    static bool trusted = TrustTestAuthority();
    ASSERT_TRUE(trusted);
    WriteLogin("umask.ovra.test", kUser, kPassword);
    WriteIni("Settings", "SecureFtp", "true");
    WriteIni("Settings", "CheckSeen", "true");
    WriteIni("Settings", "UploadFile2", "true");
    WriteIni("Settings", "CheckWebAddress", "http://umask.ovra.test:8080/ovra.txt");
    ASSERT_EQ(0, StartApp());
    for (const char *readable : {"false", "true"}) {
        RemoveStored(".project", "vsftpd");
        RemoveStored("public_html/ovra.txt", "vsftpd");
        WriteIni("Settings", "ReadableFiles", readable);
        Command(IDM_POST_ON);
        auto seen = boxes.Take();
        ExpectStored(".project", OnPattern("EST"), "vsftpd");
        if (readable[0] == 't') {
            for (const SeenBox &box : seen)
                ADD_FAILURE() << "box " << box.caption << ": " << box.text;
            continue;
        }
        ASSERT_EQ(2u, seen.size());
        EXPECT_EQ("Ovra Check", seen[0].caption);
        EXPECT_EQ("Finger shows no Project for ovra@umask.ovra.test: the finger server cannot read "
                  "the file. Turning on \"Make the posted files readable by everyone\" in Settings > "
                  "Connection may help.", seen[0].text);
        EXPECT_EQ("Ovra Check", seen[1].caption);
        EXPECT_EQ("The web server answers 403 Forbidden for http://umask.ovra.test:8080/ovra.txt: it "
                  "may not read the page. Turning on \"Make the posted files readable by everyone\" in "
                  "Settings > Connection may help.", seen[1].text);
    }
    ExpectIdle();
}

// efingerd as Debian installs it shows the full name only: the check says that this finger
// server may not show the file at all, not that it cannot read it.
TEST_F(DaemonPostTest, CheckAfterPostingNamesAFingerServerThatShowsNoProject)
{
    if (!Reachable("127.0.1.27"))
        GTEST_SKIP() << "no vsftpd of tests/servers answers on 127.0.1.27 here";
    WriteLogin("127.0.1.27", kUser, kPassword);
    WriteIni("Settings", "CheckSeen", "true");
    WriteIni("Settings", "Timezone", "EST");
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    ExpectStored(".project", OnPattern("EST"), "vsftpd");
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Finger shows neither a Project nor the usual Login line for ovra@127.0.1.27: the finger "
              "server at the FTP host may not show .project files at all.", seen[0].text);
}

// A server that speaks TLS from the first byte, on a port of its own named with the host:
// without Implicit TLS it is named after 15 s of silence, by its answer to a TLS hello; with
// the switch the line is stored.
TEST_F(DaemonPostTest, ImplicitTlsServerIsNamedThenReachedWithItsSwitch)
{
    struct hostent *entry = gethostbyname("implicit.ovra.test");
    if (entry == nullptr)
        GTEST_SKIP() << "no vsftpd of tests/servers answers as implicit.ovra.test here";
    static bool trusted = TrustTestAuthority();
    ASSERT_TRUE(trusted);
    RemoveStored(".project", "vsftpd");
    WriteLogin("implicit.ovra.test:2990", kUser, kPassword);
    WriteIni("Settings", "PassiveMode", "true");
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("The server sent no greeting within 15 seconds, but answers TLS: it speaks TLS from the "
              "first byte.\r\n\r\nTurning on Implicit TLS in Settings > Connection may help.", seen[0].text);
    WriteIni("Settings", "ImplicitTls", "true");
    Command(IDM_POST_ON);
    ExpectNoBox();
    ExpectStored(".project", OnPattern("EST"), "vsftpd");
    ExpectIdle();
}

TEST_F(DaemonPostTest, PasswordWithIacBytesLogsIn)
{
    // Sent as they stand, 0xFF 0xFB would be a Telnet command that the daemon takes out.
    WriteLogin(kAddress, "ovraff", "se\xFF\xFB" "cret");
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    ExpectNoBox();
    ExpectStored(".project", OnPattern("EST"));
}

// A name with only an IPv6 address (the tests' name server has none of IPv4 for it), which
// IPv4 alone answers with [11004].
TEST_F(DaemonPostTest, NameWithOnlyAnIPv6AddressIsReached)
{
    if (!Reachable("127.0.1.25"))
        GTEST_SKIP() << "no IPv6 vsftpd of tests/servers here";
    RemoveStored(".project", "vsftpd");
    WriteLogin("v6only.ovra.test:2121", kUser, kPassword);
    WriteIni("Settings", "Timezone", "EST");
    WriteIni("Settings", "PassiveMode", "true");
    ASSERT_EQ(0, StartApp());
    Command(IDM_POST_ON);
    ExpectNoBox();
    ExpectStored(".project", OnPattern("EST", LocalPattern(true)), "vsftpd");
}

// Scripted peers: each test has its own address, so no listener is ever shared.
class ScriptedPostTest : public OvraTest {
protected:
    static std::string NextAddress()
    {
        static int next = 100;
        return "127.0.0." + std::to_string(next++);
    }

    void StartWithLogin(const std::string &host)
    {
        ASSERT_EQ(0, StartApp());
        lstrcpynA(g_LoginInfo.host, host.c_str(), sizeof g_LoginInfo.host);
        lstrcpyA(g_LoginInfo.user, "ovra");
        lstrcpyA(g_LoginInfo.password, "secret");
    }

    // The window logged in to a scripted server on a fresh address that plays one normal
    // session; what it stored is kept in stored.
    void StartWithServer();

    std::vector<std::string> stored;
    std::unique_ptr<ScriptedPeer> server;
};

// Replies the peer gives; empty means the command is not expected to arrive.
struct FtpScript {
    std::string greeting = "220 ready\r\n";
    std::string user = "331 password please\r\n";
    std::string pass = "230 in\r\n";
    std::string port = "200 PORT ok\r\n";
    std::string stor = "150 go ahead\r\n";
    std::string stored = "226 done\r\n";
    std::string quit = "221 bye\r\n";
    std::string pasv;  // refused unless set
    std::string rnfr = "350 go on\r\n";
    std::string rnto = "250 renamed\r\n";
    std::string dele = "250 deleted\r\n";
    std::string site = "200 SITE CHMOD done\r\n";
    bool connects = true;  // the data connection after 150
};

// Plays an FTP server until QUIT or until the client goes away; the data of every STOR
// answered with 150 is collected.
void PlayFtp(ScriptedPeer &peer, const FtpScript &script, std::vector<std::string> *data)
{
    PeerConnection control = peer.Accept();
    if (!control.valid() || !control.Send(script.greeting))
        return;
    std::string line, portLine;
    while (control.ReadLine(&line)) {
        std::string word = line.substr(0, line.find(' '));
        const std::string *reply = nullptr;
        if (word == "USER") reply = &script.user;
        else if (word == "PASS") reply = &script.pass;
        else if (word == "PORT") reply = &script.port, portLine = line;
        else if (word == "STOR") reply = &script.stor;
        else if (word == "QUIT") reply = &script.quit;
        else if (word == "PASV" && !script.pasv.empty()) reply = &script.pasv;
        else if (word == "RNFR") reply = &script.rnfr;
        else if (word == "RNTO") reply = &script.rnto;
        else if (word == "DELE") reply = &script.dele;
        else if (word == "SITE") reply = &script.site;
        if (reply == nullptr) {
            control.Send("502 not here\r\n");
            continue;
        }
        control.Send(*reply);
        if (word == "QUIT")
            return;
        if (word == "STOR" && reply->rfind("150", 0) == 0 && script.connects) {
            PeerConnection channel = peer.ConnectToPort(portLine);
            data->push_back(channel.ReadAll());
            control.Send(script.stored);
        }
    }
}

void ScriptedPostTest::StartWithServer()
{
    std::string host = NextAddress();
    server.reset(new ScriptedPeer(host.c_str(), kFtpPort));
    ASSERT_TRUE(server->listening());
    server->Start([this](ScriptedPeer &p) { PlayFtp(p, FtpScript(), &stored); });
    StartWithLogin(host);
}

TEST_F(ScriptedPostTest, SendsExactlyLoginPortStorAndQuit)
{
    std::string host = NextAddress();
    ScriptedPeer peer(host.c_str(), kFtpPort);
    ASSERT_TRUE(peer.listening());
    WriteIni("Settings", "UploadFile2", "true");
    WriteIni("Settings", "Timezone", "CET");
    std::vector<std::string> data;
    peer.Start([&](ScriptedPeer &p) { PlayFtp(p, FtpScript(), &data); });
    StartWithLogin(host);
    Command(IDM_POST_ON);
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(boxes.Take().empty());
    std::vector<std::string> transcript = peer.Transcript();
    ASSERT_EQ(7u, transcript.size());
    EXPECT_EQ("USER ovra", transcript[0]);
    EXPECT_EQ("PASS secret", transcript[1]);
    std::regex port("PORT 127,0,0,1,[0-9]+,[0-9]+");
    EXPECT_TRUE(std::regex_match(transcript[2], port)) << transcript[2];
    EXPECT_EQ("STOR .project", transcript[3]);
    EXPECT_TRUE(std::regex_match(transcript[4], port)) << transcript[4];
    EXPECT_NE(transcript[2], transcript[4]) << "each target has its own data port";
    EXPECT_EQ("STOR public_html/ovra.txt", transcript[5]);
    EXPECT_EQ("QUIT", transcript[6]);
    // Byte for byte, with CR LF: no server conversion here.
    ASSERT_EQ(2u, data.size());
    std::regex line(std::string("OVRA ON ([^ \r\n]+ )?127\\.0\\.0\\.1 ") + kTimePattern + "CET\r\n");
    for (const std::string &content : data)
        EXPECT_TRUE(std::regex_match(content, line)) << content;
    ExpectIdle();
    // Edit > Last Exchange: the outcome first, then every step in order, the password hidden.
    std::string last = LastExchange();
    EXPECT_EQ("Ovra - [Last Exchange]", MainTitle());
    EXPECT_EQ("Post On to " + host + ": stored .project, public_html/ovra.txt",
              last.substr(0, last.find('\r')));
    size_t at = 0;
    for (const char *step : {"\r\n\r\n   0.0", " #1 connected to " , "#1 < 220 ", "#1 > USER ovra\r\n",
                             "#1 > PASS ****\r\n", "#1 > PORT 127,0,0,1,", "#2 data connection from ",
                             "#2 > OVRA ON ", "CET\r\n", "#2 closed\r\n", "#3 data connection from ",
                             "#1 > QUIT\r\n", "#1 < 221", "#1 closed\r\n"}) {
        at = last.find(step, at);
        ASSERT_NE(std::string::npos, at) << step << " in\n" << last;
    }
}

struct FailureCase {
    const char *name;
    void (*change)(FtpScript *);
    const char *boxText;
    std::vector<std::string> commands;  // the whole transcript, without PORT arguments
    int linesStored;
    const char *outcome = "";  // how Edit > Last Exchange says the posting ended
};

void PrintTo(const FailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class PostFailureTest : public ScriptedPostTest,
                        public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PostFailureTest, ShowsTheReplyAndEndsIdle)
{
    const FailureCase &c = GetParam();
    std::string host = NextAddress();
    ScriptedPeer peer(host.c_str(), kFtpPort);
    ASSERT_TRUE(peer.listening());
    FtpScript script;
    c.change(&script);
    std::vector<std::string> data;
    peer.Start([&](ScriptedPeer &p) { PlayFtp(p, script, &data); });
    StartWithLogin(host);
    Command(IDM_POST_ON);
    ASSERT_TRUE(peer.Join());
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra FTP Error", seen[0].caption);
    EXPECT_EQ(c.boxText, seen[0].text);
    std::vector<std::string> transcript;
    for (const std::string &line : peer.Transcript())
        transcript.push_back(line.rfind("PORT ", 0) == 0 ? "PORT" : line);
    EXPECT_EQ(c.commands, transcript);
    EXPECT_EQ((size_t)c.linesStored, data.size());
    // The marks move once a line was composed, before the server confirmed it.
    EXPECT_EQ(c.linesStored > 0, Checked(IDM_POST_ON));
    ExpectIdle();
    std::string last = LastExchange();
    EXPECT_EQ("Post On to " + host + ": " + c.outcome, last.substr(0, last.find('\r')));
    EXPECT_EQ(c.commands.size() > 1, last.find(" > PASS ****\r\n") != std::string::npos) << last;
    EXPECT_EQ(std::string::npos, last.find("secret")) << last;
}

const std::vector<std::string> kLogin = {"USER ovra", "PASS secret"};
const std::vector<std::string> kStore = {"USER ovra", "PASS secret", "PORT", "STOR .project"};

INSTANTIATE_TEST_SUITE_P(
    Table, PostFailureTest,
    ::testing::Values(
        FailureCase{"Greeting", [](FtpScript *s) { s->greeting = "421 too many users\r\n"; },
                    "421 too many users\r\n", {}, 0, "failed: 421 too many users"},
        FailureCase{"UserLoggedInAtOnce", [](FtpScript *s) { s->user = "230 no password needed\r\n"; },
                    "230 no password needed\r\n", {"USER ovra"}, 0, "failed at USER: 230 no password needed"},
        FailureCase{"LoginRefused", [](FtpScript *s) { s->pass = "530 Login incorrect.\r\n"; },
                    "530 Login incorrect.\r\n", kLogin, 0, "failed at PASS: 530 Login incorrect."},
        FailureCase{"PortRefused", [](FtpScript *s) { s->port = "500 Illegal PORT\r\n"; },
                    "500 Illegal PORT\r\n\r\nTurning on Passive mode in Settings > Connection may help.",
                    {"USER ovra", "PASS secret", "PORT"}, 0, "failed at PORT: 500 Illegal PORT"},
        FailureCase{"StorWithoutDataConnection", [](FtpScript *s) { s->stor = "425 no data\r\n"; },
                    "425 no data\r\n\r\nTurning on Passive mode in Settings > Connection may help.", kStore, 0,
                    "failed at STOR: 425 no data"},
        FailureCase{"StoreNotConfirmed", [](FtpScript *s) { s->stored = "451 local error\r\n"; },
                    "451 local error\r\n", kStore, 1, "failed at STOR: 451 local error"},
        FailureCase{"QuitRefused", [](FtpScript *s) { s->quit = "500 what?\r\n"; },
                    "500 what?\r\n",
                    {"USER ovra", "PASS secret", "PORT", "STOR .project", "QUIT"}, 1, "failed at QUIT: 500 what?"},
        // The old line stays: the temporary file goes, the target was never touched.
        FailureCase{"SafeReplaceDeletesWhatFailed", [](FtpScript *s) {
                        s->stored = "451 local error\r\n";
                        WriteIni("Settings", "SafeReplace", "true");
                    }, "451 local error\r\n",
                    {"USER ovra", "PASS secret", "PORT", "STOR .project.ovra-new",
                     "DELE .project.ovra-new"}, 1, "failed at STOR: 451 local error"},
        FailureCase{"DataConnectionNeverComes", [](FtpScript *s) { s->connects = false; },
                    "The server's data connection did not arrive.\r\n\r\nTurning on Passive mode "
                    "in Settings > Connection may help.", kStore, 0,
                    "failed at STOR: The server's data connection did not arrive."},
        FailureCase{"MultiLineReplyShownWhole",
                    [](FtpScript *s) { s->pass = "530-No.\r\n530-Really not.\r\n530 Bye.\r\n"; },
                    "530-No.\r\n530-Really not.\r\n530 Bye.\r\n", kLogin, 0, "failed at PASS: 530-No."}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

// Stored beside, made readable, renamed over; a server that will not rename over an
// existing file gets the plain STOR after the temporary file has gone.
TEST_F(ScriptedPostTest, SafeReplaceRenamesOverTheFileOrStoresInPlace)
{
    WriteIni("Settings", "SafeReplace", "true");
    WriteIni("Settings", "ReadableFiles", "true");
    for (bool refused : {false, true}) {
        std::string host = NextAddress();
        ScriptedPeer peer(host.c_str(), kFtpPort);
        ASSERT_TRUE(peer.listening());
        FtpScript script;
        if (refused)
            script.rnto = "553 file exists\r\n";
        std::vector<std::string> data;
        peer.Start([&](ScriptedPeer &p) { PlayFtp(p, script, &data); });
        if (!refused)
            StartWithLogin(host);
        lstrcpynA(g_LoginInfo.host, host.c_str(), sizeof g_LoginInfo.host);
        Command(IDM_POST_ON);
        ASSERT_TRUE(peer.Join());
        for (const SeenBox &box : boxes.Take())
            ADD_FAILURE() << "box " << box.caption << ": " << box.text;
        std::vector<std::string> transcript;
        for (const std::string &line : peer.Transcript())
            transcript.push_back(line.rfind("PORT ", 0) == 0 ? "PORT" : line);
        std::vector<std::string> expected = {"USER ovra", "PASS secret", "PORT",
            "STOR .project.ovra-new", "SITE CHMOD 644 .project.ovra-new",
            "RNFR .project.ovra-new", "RNTO .project"};
        if (refused)
            expected.insert(expected.end(), {"DELE .project.ovra-new", "PORT", "STOR .project",
                                             "SITE CHMOD 644 .project"});
        expected.push_back("QUIT");
        EXPECT_EQ(expected, transcript) << (refused ? "RNTO refused" : "renamed");
        EXPECT_EQ(refused ? 2u : 1u, data.size());
    }
    ExpectIdle();
}

// A 227 naming a port whose backlog is full, so that a connection there never completes:
// after the data connection's limit, the box names the address instead of a bare code.
TEST_F(ScriptedPostTest, PassiveDataAddressThatNeverAnswersIsNamed)
{
    WriteIni("Settings", "PassiveMode", "true");
    std::string host = NextAddress();
    struct sockaddr_in data = {};
    data.sin_family = AF_INET;
    data.sin_port = htons(2122);
    data.sin_addr.s_addr = inet_addr(host.c_str());
    SOCKET full = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(0, bind(full, (struct sockaddr *)&data, sizeof data));
    ASSERT_EQ(0, listen(full, 0));
    std::vector<SOCKET> fillers;
    for (int i = 0; i < 2; i++) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        connect(s, (struct sockaddr *)&data, sizeof data);
        fillers.push_back(s);
    }
    ScriptedPeer peer(host.c_str(), kFtpPort);
    ASSERT_TRUE(peer.listening());
    FtpScript script;
    script.pasv = "227 Entering Passive Mode (10,9,8,7,8,74)\r\n";
    std::vector<std::string> stored;
    peer.Start([&](ScriptedPeer &p) { PlayFtp(p, script, &stored); });
    StartWithLogin(host);
    Command(IDM_POST_ON);
    ASSERT_TRUE(peer.Join());
    for (SOCKET s : fillers)
        closesocket(s);
    closesocket(full);
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Could not connect to the data address " + host + ":2122 that the server named.\r\n\r\n"
              "Turning off Passive mode in Settings > Connection may help.", seen[0].text);
    ExpectIdle();
}

TEST_F(ScriptedPostTest, AutoPostOnWithTheServerDownStillSetsTheFlag)
{
    std::string host = NextAddress();  // nothing listens there
    StartWithLogin(host);
    Command(IDM_AUTO_POST);
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
    EXPECT_EQ("[10061] Connection refused", seen[0].text);
    EXPECT_EQ(1, g_AutoPostFlag);
    EXPECT_TRUE(Checked(IDM_AUTO_POST));
    EXPECT_EQ("1", ReadIni("Settings", "AutoPost"));
    EXPECT_FALSE(Checked(IDM_POST_ON));
    ExpectIdle();
}

TEST_F(ScriptedPostTest, OffLineHasNoAddressAndEndsInSpaceWithoutAZone)
{
    StartWithServer();
    Command(IDM_POST_OFF);
    ASSERT_TRUE(server->Join());
    EXPECT_TRUE(boxes.Take().empty());
    ASSERT_EQ(1u, stored.size());
    EXPECT_TRUE(std::regex_match(stored[0], std::regex(std::string("OVRA OFF ") + kTimePattern + "\r\n")))
        << stored[0];
    EXPECT_TRUE(Checked(IDM_POST_OFF));
    EXPECT_FALSE(Checked(IDM_POST_ON));
    ExpectIdle();
}

// Greets, then records what the client sends without answering, until it gives up.
void GreetThenKeepSilent(ScriptedPeer &peer)
{
    PeerConnection control = peer.Accept();
    control.Send("220 ready\r\n");
    std::string line;
    while (control.ReadLine(&line)) {
    }
}

// An SFTP posting waits as every other call does: a server that never sends its SSH
// identification (only a line before it) is cut off by the watchdog, its message reaching
// the window while libssh2 waits, and nothing is left open.
TEST_F(ScriptedPostTest, WatchdogCutsOffASilentSshServer)
{
    ScriptedPeer peer("127.0.1.42", 2222);
    ASSERT_TRUE(peer.listening());
    peer.Start(GreetThenKeepSilent);
    StartWithLogin("127.0.1.42:2222");
    WriteIni("Settings", "SftpPost", "true");
    SetWatchdogPeriod(300);
    Command(IDM_POST_ON);
    SetWatchdogPeriod(kWatchdogPeriod);
    ASSERT_TRUE(peer.Join());
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
    EXPECT_EQ("[10004] Interrupted system call", seen[0].text);
    ASSERT_EQ(1u, peer.Transcript().size());
    EXPECT_EQ(0u, peer.Transcript()[0].rfind("SSH-2.0-libssh2_1.11.1", 0)) << peer.Transcript()[0];
    ExpectIdle();
}

// The name look-up of the status line waits like every other call: when it cannot run
// (another call is waiting) it answers with a failure the posting reports, not with "no
// name", which would drop the name from the line.
bool g_nestedRefused = false;

void CALLBACK LookUpWhileWaiting(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    struct in_addr host = {};
    host.s_addr = inet_addr("127.0.0.1");
    NetAddress loopback;
    MakeIPv4Address(&host, 0, &loopback);
    char entry[MAXGETHOSTSTRUCT];
    g_nestedRefused = NetGetHostByAddr(&loopback, entry) == nullptr &&
                      NetWaitFailed(WSAGetLastError());
}

TEST_F(ScriptedPostTest, WatchdogCutsOffASilentServerAndANestedLookUpIsRefused)
{
    std::string host = NextAddress();
    ScriptedPeer peer(host.c_str(), kFtpPort);
    ASSERT_TRUE(peer.listening());
    peer.Start(GreetThenKeepSilent);
    StartWithLogin(host);
    g_nestedRefused = false;
    SetTimer(nullptr, 0, 100, LookUpWhileWaiting);
    SetWatchdogPeriod(300);
    Command(IDM_POST_ON);
    SetWatchdogPeriod(kWatchdogPeriod);
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(g_nestedRefused);
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
    EXPECT_EQ("[10004] Interrupted system call", seen[0].text);
    std::vector<std::string> expected = {"USER ovra"};
    EXPECT_EQ(expected, peer.Transcript());
    ExpectIdle();
}

TEST_F(ScriptedPostTest, PasswordWithALineBreakIsRefusedBeforeItsCommand)
{
    StartWithServer();
    lstrcpyA(g_LoginInfo.password, "secret\r\nDELE .project");  // as a stored value can decode
    Command(IDM_POST_ON);
    ASSERT_TRUE(server->Join());
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("The FTP password holds a line break, so it was not sent.", seen[0].text);
    EXPECT_EQ(std::vector<std::string>{"USER ovra"}, server->Transcript());
    ExpectIdle();
}

TEST_F(ScriptedPostTest, SessionEndDuringAPostingEndsItQuietlyAndPostsOff)
{
    std::string host = NextAddress();
    ScriptedPeer peer(host.c_str(), kFtpPort);
    ASSERT_TRUE(peer.listening());
    WriteIni("Settings", "AutoPost", "2");  // Off at the end, nothing at the start
    std::vector<std::string> data;
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection held = p.Accept();  // the On posting waits for its greeting
        SendNotifyMessageA(g_hMainWindow, WM_ENDSESSION, TRUE, 0);
        held.WaitForClose();
        PlayFtp(p, FtpScript(), &data);
    });
    StartWithLogin(host);
    Command(IDM_POST_ON);
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(boxes.Take().empty());
    ASSERT_EQ(1u, data.size());
    EXPECT_EQ(0u, data[0].rfind("OVRA OFF ", 0)) << data[0];
    ExpectIdle();
}

// The hand-off: a second copy started with a word while this window's command waits.
std::atomic<bool> g_queued{false};

void CALLBACK WatchQueue(HWND, UINT, UINT_PTR timer, DWORD)
{
    if (QueuedCommandCount() >= 2 && !g_queued.exchange(true))  // the word's posting, Exit
        KillTimer(nullptr, timer);
}

class HandOverTest : public ScriptedPostTest {
protected:
    HandOverTest()
    {
        g_queued = false;
        SetTimer(nullptr, 0, 10, WatchQueue);
    }
    // From a peer's thread: starts "ovra.exe word", which finds this test's window, and
    // returns once the window has queued what it handed over (or after 20 s).
    void HandOver(const char *word)
    {
        second = LaunchOvra(word);
        for (int i = 0; i < 2000 && !g_queued; i++)
            Sleep(10);
    }
    // The window runs what was queued, Exit last; then the second copy ends too.
    void ExpectBothEnd(const std::vector<std::string> &data, std::vector<std::string> lines)
    {
        EXPECT_TRUE(PumpUntil([&] { return !AppRunning(); }));
        EXPECT_EQ(0, WaitForExit(second));
        EndOvra(second);
        EXPECT_TRUE(boxes.Take().empty());
        ASSERT_EQ(lines.size(), data.size());
        for (size_t i = 0; i < lines.size(); i++)
            EXPECT_EQ(0u, data[i].rfind(lines[i], 0)) << data[i];
    }
    OvraProcess second;
};

TEST_F(HandOverTest, OnHandedOverDuringAutoPostAtStartRunsAfterIt)
{
    std::string host = NextAddress();
    ScriptedPeer peer(host.c_str(), kFtpPort);
    ASSERT_TRUE(peer.listening());
    WriteLogin(host.c_str(), "ovra", "secret");
    WriteIni("Settings", "AutoPost", "1");
    std::vector<std::string> data;
    peer.Start([&](ScriptedPeer &p) {
        // The window handles no sent message before Auto Post's On waits for this server.
        while (FindWindowA("OvraMain", nullptr) == nullptr)
            Sleep(10);
        HandOver("On");
        for (int session = 0; session < 3; session++)  // On, the On handed over, Off at exit
            PlayFtp(p, FtpScript(), &data);
    });
    ASSERT_EQ(0, StartApp());
    ExpectBothEnd(data, {"OVRA ON ", "OVRA ON ", "OVRA OFF "});
    ASSERT_TRUE(peer.Join());
}

TEST_F(HandOverTest, OffHandedOverDuringAQueryWaitsForItsAnswer)
{
    std::string host = NextAddress();
    ScriptedPeer finger(host.c_str(), kFingerPort), ftp(host.c_str(), kFtpPort);
    ASSERT_TRUE(finger.listening() && ftp.listening());
    finger.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.ReadLine();
        HandOver("Off");
        c.Send("answered\r\n");
    });
    std::vector<std::string> data;
    ftp.Start([&](ScriptedPeer &p) { PlayFtp(p, FtpScript(), &data); });
    StartWithLogin(host);
    boxes.OnDialog("Finger Query", [&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_QUERY, ("u@" + host).c_str());
        PressButton(dialog, IDOK);
    });
    Command(IDM_FINGER);
    EXPECT_EQ("answered\r\n", PaneText());
    ExpectBothEnd(data, {"OVRA OFF "});
    ASSERT_TRUE(finger.Join() && ftp.Join());
}

}  // namespace
