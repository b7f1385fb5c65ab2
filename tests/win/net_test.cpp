// The network layer against scripted peers: connections by service name, reply reading,
// the data channel, the watchdog, nested exchanges and a window that goes away mid-call.
#include <string.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app.h"
#include "exchange.h"
#include "app/appstate.h"
#include "app/busy.h"
#include "app/mainwindow.h"
#include "net/connect.h"
#include "net/ftp.h"
#include "net/netio.h"
#include "net/report.h"
#include "net/watchdog.h"
#include "peer.h"

namespace {

class NetTest : public OvraTest {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        ASSERT_EQ(0, StartApp());
    }
    void TearDown() override
    {
        SetWatchdogPeriod(kWatchdogPeriod);
        OvraTest::TearDown();
    }
    void ExpectOneBox(const char *caption, const std::string &text)
    {
        auto seen = boxes.Take();
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(caption, seen[0].caption);
        EXPECT_EQ(text, seen[0].text);
    }
    void ExpectWinsockBox(const char *text) { ExpectOneBox("Ovra Winsock Error", text); }
    // An exchange connects to service at host and closes again; the peer on port sees both.
    void ExpectServiceReached(const char *service, const char *host, unsigned short port)
    {
        ScriptedPeer peer(host, port);
        ASSERT_TRUE(peer.listening());
        std::atomic<bool> closed{false};
        peer.Start([&](ScriptedPeer &p) {
            PeerConnection connection = p.Accept();
            closed = connection.WaitForClose();
        });
        SOCKET s = OpenExchange(service, host);
        ASSERT_NE(INVALID_SOCKET, s) << service;
        EXPECT_EQ(1, NetOpenSocketCount());
        CloseExchange(s);
        ASSERT_TRUE(peer.Join());
        EXPECT_TRUE(closed) << service;
        EXPECT_TRUE(boxes.Take().empty());
        ExpectIdle();
    }
};

// ---------------------------------------------------------------------------------------
// ConnectService

using ConnectServiceTest = NetTest;

TEST_F(ConnectServiceTest, RefusedConnectionIsReportedAndReleased)
{
    EXPECT_EQ(INVALID_SOCKET, OpenExchange("ftp", "127.0.0.10"));
    ExpectWinsockBox("[10061] Connection refused");
    ExpectIdle();
}

TEST_F(ConnectServiceTest, UnknownHostIsReportedAndNothingIsConnected)
{
    EXPECT_EQ(INVALID_SOCKET, OpenExchange("ftp", "no-such-host.invalid"));
    ExpectWinsockBox("[11001] Host not found");
    ExpectIdle();
}

TEST_F(ConnectServiceTest, UnknownServiceNameIsReportedWithoutASocket)
{
    EXPECT_EQ(INVALID_SOCKET, OpenExchange("no-such-service", "127.0.0.11"));
    // The code the failed service look-up left.
    ExpectWinsockBox("[11004] Valid name, no data record of requested type");
    ExpectIdle();
}

// The prefix's services file maps ftp, finger and http to 2121, 7979 and 8080.
TEST_F(ConnectServiceTest, DottedAddressAndServicesFileEntriesReachThePeer)
{
    struct {
        const char *service;
        unsigned short port;
    } cases[] = {{"ftp", kFtpPort}, {"finger", kFingerPort}, {"http", kHttpPort}};
    for (const auto &c : cases)
        ExpectServiceReached(c.service, "127.0.0.12", c.port);
}

// Replaces the prefix's services file for one test and puts it back afterwards.
class ServicesFile {
public:
    ServicesFile()
    {
        char dir[MAX_PATH];
        GetSystemDirectoryA(dir, sizeof dir);
        path_ = std::string(dir) + "\\drivers\\etc\\services";
        std::ifstream in(path_, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        saved_ = text.str();
    }
    ~ServicesFile() { Write(saved_); }
    void Write(const std::string &text)
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out << text;
    }

private:
    std::string path_;
    std::string saved_;
};

bool CanBindPort(const char *address, unsigned short port)
{
    ScriptedPeer probe(address, port);
    return probe.listening();
}

TEST_F(ConnectServiceTest, MissingServicesEntriesFallBackOnTheUsualPorts)
{
    if (!CanBindPort("127.0.0.13", 21))
        GTEST_SKIP() << "ports below 1024 need root to listen on";
    ServicesFile services;
    services.Write("telnet\t\t23/tcp\n");
    struct {
        const char *service;
        unsigned short port;
    } cases[] = {{"FTP", 21}, {"finger", 79}, {"Http", 80}, {"https", 443}};
    for (const auto &c : cases)
        ExpectServiceReached(c.service, "127.0.0.13", c.port);
    // Only those three have a fallback.
    EXPECT_EQ(INVALID_SOCKET, OpenExchange("telnetx", "127.0.0.13"));
    EXPECT_EQ(1u, boxes.Take().size());
    ExpectIdle();
}

// ---------------------------------------------------------------------------------------
// The reporters

using ReportTest = NetTest;

TEST_F(ReportTest, CodeWithoutTableEntryStillGetsABoxAndTheResetClosesEverySocket)
{
    ArmWatchdog();
    SetBusy(1);
    ASSERT_NE(INVALID_SOCKET, NetSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    ASSERT_NE(INVALID_SOCKET, NetSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    WSASetLastError(12345);
    EXPECT_EQ(-1, ReportWinsockError());
    ExpectWinsockBox("[12345] Unknown error");
    ExpectIdle();
}

TEST_F(ReportTest, ServerErrorShowsTheReplyUnchanged)
{
    ArmWatchdog();
    SetBusy(1);
    ASSERT_NE(INVALID_SOCKET, NetSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    EXPECT_EQ(-1, ReportServerError("530-Login incorrect.\r\n530 Bye\r\n"));
    ExpectOneBox("Ovra FTP Error", "530-Login incorrect.\r\n530 Bye\r\n");
    ExpectIdle();
}

// ---------------------------------------------------------------------------------------
// ReadReply

using ReadReplyTest = NetTest;

TEST_F(ReadReplyTest, ReplySplitByteByByteIsReadWhole)
{
    ScriptedPeer peer("127.0.0.20", kFtpPort);
    peer.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.SendSplit("220 Service ready\r\n");
        c.WaitForClose();
    });
    char reply[kReplySize];
    EXPECT_EQ(220, ReadOneReply("127.0.0.20", reply));
    EXPECT_STREQ("220 Service ready\r\n", reply);
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(boxes.Take().empty());
    ExpectIdle();
}

TEST_F(ReadReplyTest, MultiLineReplyEndsAtItsClosingLine)
{
    const std::string text = "230-Welcome\r\n to the host\r\n230-more\r\n230 Logged in\r\n";
    ScriptedPeer peer("127.0.0.21", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.SendSplit(text);
        c.WaitForClose();  // the reply must end without the server closing
    });
    char reply[kReplySize];
    EXPECT_EQ(230, ReadOneReply("127.0.0.21", reply));
    EXPECT_EQ(text, reply);
    ASSERT_TRUE(peer.Join());
    ExpectIdle();
}

TEST_F(ReadReplyTest, TextAfterTheEndInTheSameArrivalIsTheNextReply)
{
    ScriptedPeer peer("127.0.0.22", kFtpPort);
    peer.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.Send("220 Ready\r\n221 Bye\r\n");
        c.WaitForClose();
    });
    SOCKET s = OpenExchange("ftp", "127.0.0.22");
    ASSERT_NE(INVALID_SOCKET, s);
    char reply[kReplySize];
    EXPECT_EQ(220, ReadReply(kReplySize, reply, s));
    EXPECT_STREQ("220 Ready\r\n", reply);
    EXPECT_EQ(221, ReadReply(kReplySize, reply, s));
    EXPECT_STREQ("221 Bye\r\n", reply);
    CloseExchange(s);
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(boxes.Take().empty());
    ExpectIdle();
}

// Neither a different closing code nor a bare "220" line ends a reply: reading goes on
// until the server closes...
TEST_F(ReadReplyTest, UnendedRepliesAreReadUntilTheServerCloses)
{
    struct {
        const char *text;
        int code;
    } cases[] = {{"230-Welcome\r\n231 Done\r\nafter\r\n", 230}, {"220\r\n", 220}};
    for (const auto &c : cases) {
        ScriptedPeer peer("127.0.0.23", kFtpPort);
        peer.Start([&](ScriptedPeer &p) {
            PeerConnection connection = p.Accept();
            connection.SendSplit(c.text);
        });
        char reply[kReplySize];
        EXPECT_EQ(c.code, ReadOneReply("127.0.0.23", reply));
        EXPECT_STREQ(c.text, reply);
        ASSERT_TRUE(peer.Join());
        EXPECT_TRUE(boxes.Take().empty());
        ExpectIdle();
    }
}

// ...or the watchdog cuts the exchange off.
TEST_F(ReadReplyTest, UnendedRepliesWaitForTheWatchdogWhileTheServerStaysOpen)
{
    const char *texts[] = {"230-Welcome\r\n231 Done\r\n", "220\r\n"};
    SetWatchdogPeriod(300);
    for (const char *text : texts) {
        ScriptedPeer peer("127.0.0.24", kFtpPort);
        std::atomic<bool> closed{false};
        peer.Start([&](ScriptedPeer &p) {
            PeerConnection c = p.Accept();
            c.SendSplit(text);
            closed = c.WaitForClose();
        });
        char reply[kReplySize];
        EXPECT_EQ(-1, ReadOneReply("127.0.0.24", reply));
        ExpectWinsockBox("[10004] Interrupted system call");
        ASSERT_TRUE(peer.Join());
        EXPECT_TRUE(closed);
        ExpectIdle();
    }
}

TEST_F(ReadReplyTest, OversizedReplyStopsAtAFullTerminatedBuffer)
{
    std::string text = "220-";
    while (text.size() < 3000)
        text += "a long banner line that goes on and on\r\n";
    text += "220 end\r\n";
    ScriptedPeer peer("127.0.0.25", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.Send(text);
        c.WaitForClose();  // unread text is left: the close may arrive as a reset
    });
    std::vector<char> buffer(kReplySize + 16, '#');
    EXPECT_EQ(220, ReadOneReply("127.0.0.25", buffer.data()));
    EXPECT_EQ(std::string(text, 0, kReplySize - 1), std::string(buffer.data()));
    for (size_t i = kReplySize; i < buffer.size(); i++)
        EXPECT_EQ('#', buffer[i]) << "written past the buffer at " << i;
    ASSERT_TRUE(peer.Join());
    ExpectIdle();
}

TEST_F(ReadReplyTest, NonDigitCodeIsZeroAndShownWhole)
{
    ScriptedPeer peer("127.0.0.26", kFtpPort);
    std::atomic<bool> closed{false};
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.Send("abc Hello\r\n");
        closed = c.WaitForClose();
    });
    SOCKET s = OpenExchange("ftp", "127.0.0.26");
    ASSERT_NE(INVALID_SOCKET, s);
    char reply[kReplySize];
    EXPECT_EQ(0, ReadReply(kReplySize, reply, s));
    EXPECT_EQ(-1, ReportServerError(reply));
    ExpectOneBox("Ovra FTP Error", "abc Hello\r\n");
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closed);
    ExpectIdle();
}

// The box shows what arrived of the cut reply, not what the buffer held before.
TEST_F(ReadReplyTest, ReplyCutShortShowsExactlyWhatArrived)
{
    ScriptedPeer peer("127.0.0.27", kFtpPort);
    peer.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.Send("220 A rather long greeting from the server\r\n");
        c.ReadLine();
        c.Send("230 cut");
    });
    SOCKET s = OpenExchange("ftp", "127.0.0.27");
    ASSERT_NE(INVALID_SOCKET, s);
    char reply[kReplySize];
    ASSERT_EQ(0, ExpectReply(220, reply, s));
    char command[64] = "USER joe";
    ASSERT_EQ(0, SendCommand(command, sizeof command, 0, s));
    EXPECT_EQ(-1, ExpectReply(331, reply, s));
    ExpectOneBox("Ovra FTP Error", "230 cut");
    ASSERT_TRUE(peer.Join());
    ExpectIdle();
}

// ---------------------------------------------------------------------------------------
// SendCommand

using SendCommandTest = NetTest;

TEST_F(SendCommandTest, LineGoesOutWholeWithItsLineEnd)
{
    // Far larger than the socket buffers, so the sends are partial and must be repeated.
    std::string big = "SITE " + std::string(4 << 20, 'x');
    std::vector<char> command(big.begin(), big.end());
    command.resize(big.size() + 3, '\0');
    std::string received;
    ScriptedPeer peer("127.0.0.29", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.ReadLine();  // "USER joe"
        received = c.ReadLine();
        c.WaitForClose();
    });
    SOCKET s = OpenExchange("ftp", "127.0.0.29");
    ASSERT_NE(INVALID_SOCKET, s);
    char user[16] = "USER joe";
    ASSERT_EQ(0, SendCommand(user, sizeof user, 0, s));
    EXPECT_STREQ("USER joe\r\n", user);
    ASSERT_EQ(0, SendCommand(command.data(), command.size(), 0, s));
    EXPECT_EQ(big + "\r\n", std::string(command.data()));
    CloseExchange(s);
    ASSERT_TRUE(peer.Join());
    EXPECT_EQ("USER joe", peer.Transcript().at(0));
    EXPECT_EQ(big.size(), received.size());
    EXPECT_TRUE(received == big);
    ExpectIdle();
}

// ---------------------------------------------------------------------------------------
// OpenDataConnection

using DataConnectionTest = NetTest;

// Local address of a connected socket as a PORT line's first four numbers.
std::string LocalAddressNumbers(SOCKET s)
{
    struct sockaddr_in local;
    int size = sizeof local;
    getsockname(s, (struct sockaddr *)&local, &size);
    unsigned long a = ntohl(local.sin_addr.s_addr);
    return std::to_string((a >> 24) & 255) + "," + std::to_string((a >> 16) & 255) + "," +
           std::to_string((a >> 8) & 255) + "," + std::to_string(a & 255) + ",";
}

TEST_F(DataConnectionTest, PortTransferCommandAndAcceptCarryTheData)
{
    std::string portLine, data;
    ScriptedPeer peer("127.0.0.40", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        portLine = c.ReadLine();
        // Connecting before 150 is allowed: the connection waits in the backlog.
        PeerConnection d = p.ConnectToPort(portLine);
        c.Send("200 PORT command successful\r\n");
        c.ReadLine();
        c.Send("150 Opening data connection\r\n");
        data = d.ReadAll();
        c.Send("226 Transfer complete\r\n");
        c.WaitForClose();
    });
    SOCKET s = OpenExchange("ftp", "127.0.0.40");
    ASSERT_NE(INVALID_SOCKET, s);
    std::string address = LocalAddressNumbers(s);
    char command[64] = "STOR .project";
    SOCKET d = OpenDataConnection(nullptr, command, sizeof command, 0, s);
    ASSERT_NE(INVALID_SOCKET, d);
    EXPECT_STREQ("STOR .project\r\n", command);
    EXPECT_EQ(2, NetOpenSocketCount()) << "the listener is closed after the accept";
    const char line[] = "OVRA ON host\r\n";
    ASSERT_EQ((int)strlen(line), NetSendAll(d, line, (int)strlen(line)));
    NetClose(d);
    char reply[kReplySize];
    EXPECT_EQ(0, ExpectReply(226, reply, s));
    CloseExchange(s);
    ASSERT_TRUE(peer.Join());
    EXPECT_EQ(0u, portLine.rfind("PORT " + address, 0)) << portLine << " vs " << address;
    EXPECT_EQ(line, data);
    auto transcript = peer.Transcript();
    ASSERT_EQ(2u, transcript.size());
    EXPECT_EQ("STOR .project", transcript[1]);
    EXPECT_TRUE(boxes.Take().empty());
    ExpectIdle();
}

TEST_F(DataConnectionTest, ReplyOtherThan150IsAServerErrorWithoutAccept)
{
    std::string early;
    std::atomic<bool> closed{false};
    ScriptedPeer peer("127.0.0.41", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string portLine = c.ReadLine();
        PeerConnection d = p.ConnectToPort(portLine);
        c.Send("200 OK\r\n");
        c.ReadLine();
        c.Send("425 Can't open data connection\r\n");
        early = d.ReadAll();  // the listener closes under the waiting connection
        closed = c.WaitForClose();
    });
    SOCKET s = OpenExchange("ftp", "127.0.0.41");
    ASSERT_NE(INVALID_SOCKET, s);
    char command[64] = "STOR .project";
    EXPECT_EQ(INVALID_SOCKET, OpenDataConnection(nullptr, command, sizeof command, 0, s));
    ExpectOneBox("Ovra FTP Error", "425 Can't open data connection\r\n\r\n"
                                   "Turning on Passive mode in Settings > Connection may help.");
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closed);
    EXPECT_EQ("", early);
    ExpectIdle();
}

TEST_F(DataConnectionTest, RefusedPortIsAServerErrorAndNoTransferIsSent)
{
    std::atomic<bool> closed{false};
    ScriptedPeer peer("127.0.0.42", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.ReadLine();
        c.Send("500 Illegal PORT command\r\n");
        closed = c.WaitForClose();
    });
    SOCKET s = OpenExchange("ftp", "127.0.0.42");
    ASSERT_NE(INVALID_SOCKET, s);
    char command[64] = "STOR .project";
    EXPECT_EQ(INVALID_SOCKET, OpenDataConnection(nullptr, command, sizeof command, 0, s));
    ExpectOneBox("Ovra FTP Error",
                 "500 Illegal PORT command\r\n\r\nTurning on Passive mode in Settings > Connection may help.");
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closed);
    auto transcript = peer.Transcript();
    ASSERT_EQ(1u, transcript.size());
    EXPECT_EQ(0u, transcript[0].rfind("PORT ", 0));
    ExpectIdle();
}

// ---------------------------------------------------------------------------------------
// The watchdog

using WatchdogTest = NetTest;

TEST_F(WatchdogTest, ExpiryInterruptsTheWaitingCall)
{
    SetWatchdogPeriod(300);
    std::atomic<bool> closed{false};
    ScriptedPeer peer("127.0.0.50", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        closed = c.WaitForClose();
    });
    char reply[kReplySize];
    EXPECT_EQ(-1, ReadOneReply("127.0.0.50", reply));
    ExpectWinsockBox("[10004] Interrupted system call");
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closed);
    ExpectIdle();
}

TEST_F(WatchdogTest, ExpiryWithNoCallPendingReportsInvalidArgument)
{
    SetWatchdogPeriod(50);
    ArmWatchdog();
    SetBusy(1);
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Seen().empty(); }));
    ExpectWinsockBox("[10022] Invalid argument");
    ExpectIdle();
}

// ---------------------------------------------------------------------------------------
// Nesting, a window that goes away, and a window that keeps answering

// A window of the test's own whose messages, dispatched by the waiting call's loop, start
// whatever the test needs to happen in the middle of an exchange.
class Trigger {
public:
    explicit Trigger(std::function<void()> action) : action_(std::move(action))
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NetTestTrigger";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "NetTestTrigger", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~Trigger() { DestroyWindow(window_); }
    // Safe from any thread: the action runs on the main thread.
    void Fire() { PostMessageA(window_, WM_APP, 0, 0); }
    bool fired() const { return fired_; }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto *self = (Trigger *)GetWindowLongPtrA(window, GWLP_USERDATA);
        if (message == WM_APP && self != nullptr) {
            self->fired_ = true;
            self->action_();
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_;
    std::function<void()> action_;
    std::atomic<bool> fired_{false};
};

// An interrupted name look-up ends the exchange: a dotted address is not then converted
// and connected (nothing listens there, so that would show "refused" instead).
TEST_F(WatchdogTest, ExpiryDuringTheLookUpEndsTheConnection)
{
    Trigger expire([] { SendMessageA(g_hMainWindow, WM_TIMER, kWatchdogId, 0); });
    expire.Fire();  // queued ahead of the look-up's answer
    EXPECT_EQ(INVALID_SOCKET, OpenExchange("ftp", "127.0.0.51"));
    ASSERT_TRUE(expire.fired());
    ExpectWinsockBox("[10004] Interrupted system call");
    ExpectIdle();
}

using NestingTest = NetTest;

TEST_F(NestingTest, SecondExchangeFailsOnceAndTheWaitingOneEndsQuietly)
{
    SOCKET innerResult = 0;
    Trigger trigger([&] {
        // A web query started from a menu while the posting waits. Had it gone on, its
        // connection would be refused with a second box.
        innerResult = OpenExchange("http", "127.0.0.61");
    });
    std::atomic<bool> closed{false};
    ScriptedPeer outer("127.0.0.60", kFtpPort);
    outer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        trigger.Fire();
        closed = c.WaitForClose();
    });
    char reply[kReplySize];
    EXPECT_EQ(-1, ReadOneReply("127.0.0.60", reply));
    EXPECT_TRUE(trigger.fired());
    EXPECT_EQ(INVALID_SOCKET, innerResult);
    ExpectWinsockBox("[10036] Operation now in progress");
    ASSERT_TRUE(outer.Join());
    EXPECT_TRUE(closed);
    ExpectIdle();

    // Everything works again afterwards.
    ScriptedPeer next("127.0.0.62", kFtpPort);
    next.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        c.Send("220 Ready\r\n");
        c.WaitForClose();
    });
    EXPECT_EQ(220, ReadOneReply("127.0.0.62", reply));
    ASSERT_TRUE(next.Join());
    EXPECT_TRUE(boxes.Take().empty());
    ExpectIdle();
}

// The same while the waiting exchange is still looking its host up. Nothing listens on
// either address: an exchange that went on would add a "refused" box.
TEST_F(NestingTest, SecondExchangeDuringALookUpFailsOnceAndTheLookUpEndsQuietly)
{
    SOCKET innerResult = 0;
    Trigger trigger([&] { innerResult = OpenExchange("http", "127.0.0.64"); });
    trigger.Fire();  // queued ahead of the look-up's answer
    EXPECT_EQ(INVALID_SOCKET, OpenExchange("ftp", "127.0.0.63"));
    EXPECT_TRUE(trigger.fired());
    EXPECT_EQ(INVALID_SOCKET, innerResult);
    ExpectWinsockBox("[10036] Operation now in progress");
    ExpectIdle();
}

using WindowTest = NetTest;

TEST_F(WindowTest, DestroyedWindowEndsTheWaitingExchangeQuietly)
{
    Trigger trigger([] { DestroyWindow(g_hMainWindow); });
    std::atomic<bool> closed{false};
    ScriptedPeer peer("127.0.0.70", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        trigger.Fire();
        closed = c.WaitForClose();
    });
    char reply[kReplySize];
    EXPECT_EQ(-1, ReadOneReply("127.0.0.70", reply));
    EXPECT_TRUE(trigger.fired());
    EXPECT_FALSE(AppRunning());
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_EQ(0, NetOpenSocketCount());
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closed);
}

TEST_F(WindowTest, WindowAnswersMessagesWhileACallWaits)
{
    std::string title;
    LRESULT answered = 0;
    ScriptedPeer peer("127.0.0.71", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        char text[64] = "";
        DWORD_PTR length = 0;
        // The reply is sent only once the main window has answered.
        answered = SendMessageTimeoutA(g_hMainWindow, WM_GETTEXT, sizeof text, (LPARAM)text,
                                       SMTO_NORMAL, 20000, &length);
        title = text;
        c.Send("220 Ready\r\n");
        c.WaitForClose();
    });
    char reply[kReplySize];
    EXPECT_EQ(220, ReadOneReply("127.0.0.71", reply));
    ASSERT_TRUE(peer.Join());
    EXPECT_NE(0, answered);
    EXPECT_EQ("Ovra", title);
    ExpectIdle();
}

}  // namespace

namespace {

// Winsock does not stop a look-up that was given up on: its result still arrives later.
// It must not land in the caller's buffer, which by then belongs to something else.
TEST_F(WatchdogTest, InterruptedLookupNeverWritesTheCallersBufferLater)
{
    for (const char *name : {"localhost", "127.0.0.80"}) {
        std::vector<char> buffer(MAXGETHOSTSTRUCT, '#');
        Trigger cancel([] { NetCancelWait(); });
        cancel.Fire();  // queued ahead of the look-up's completion
        EXPECT_EQ(nullptr, NetGetHostByName(name, buffer.data()));
        EXPECT_EQ(WSAEINTR, WSAGetLastError());
        ASSERT_TRUE(cancel.fired());
        bool written = PumpUntil(
            [&] { return std::count(buffer.begin(), buffer.end(), '#') != MAXGETHOSTSTRUCT; },
            1000);
        EXPECT_FALSE(written) << name;
        // The layer still answers look-ups afterwards.
        struct hostent *entry = NetGetHostByName(name, buffer.data());
        ASSERT_NE(nullptr, entry) << name;
        EXPECT_EQ(4, entry->h_length);
        EXPECT_NE(nullptr, entry->h_addr_list[0]);
        EXPECT_GE(entry->h_addr_list[0], buffer.data());
        EXPECT_LT(entry->h_addr_list[0], buffer.data() + MAXGETHOSTSTRUCT);
    }
    EXPECT_TRUE(boxes.Take().empty());
    ExpectIdle();
}

}  // namespace
