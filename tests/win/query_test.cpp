// Finger and web queries through their real dialogs: the history in "ovra.ini", the line
// each sends, the title and pane afterwards, and every way an exchange can fail.
#include "app.h"
#include "ftp_daemon.h"
#include "peer.h"

#include <string.h>

#include <string>
#include <vector>

#include "app/appstate.h"
#include "net/netio.h"
#include "net/watchdog.h"
#include "res/resource.h"

namespace {

using Lines = std::vector<std::string>;

const char kNobody[] = "127.0.0.199";  // no server listens here: connections are refused

// The value as it stands in the file: reading it back through the profile functions would
// drop the blank of the last ", ".
std::string StoredValue(const char *key)
{
    std::string text = IniFileBytes();
    if (text == "<no file>")
        return text;
    size_t section = text.find("[Addresses]");
    std::string prefix = std::string("\n") + key + "=";
    size_t at = section == std::string::npos ? section : text.find(prefix, section);
    if (at == std::string::npos)
        return "<none>";
    at += prefix.size();
    size_t end = text.find_first_of("\r\n", at);
    return text.substr(at, end == std::string::npos ? end : end - at);
}

struct DialogView {
    Lines list;         // the combo box's entries as loaded
    std::string field;  // its edit field
    bool seen = false;
};

class QueryTest : public OvraTest {
protected:
    // Opens the query dialog of command, records what it shows, types text and presses
    // button; returns once the command (and the query it started) is over.
    DialogView Query(WPARAM command, const std::string &text, int button = IDOK)
    {
        DialogView view;
        const char *caption = command == IDM_FINGER ? "Finger Query" : "Web Query";
        boxes.OnDialog(caption, [&view, text, button](HWND dialog) {
            HWND combo = GetDlgItem(dialog, IDC_QUERY);
            int count = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
            for (int i = 0; i < count; i++) {
                std::vector<char> entry((size_t)SendMessageA(combo, CB_GETLBTEXTLEN, i, 0) + 1);
                SendMessageA(combo, CB_GETLBTEXT, i, (LPARAM)entry.data());
                view.list.push_back(entry.data());
            }
            view.field = WindowText(combo);
            view.seen = true;
            SetDlgItemTextA(dialog, IDC_QUERY, text.c_str());
            PressButton(dialog, button);
        });
        Command(command);
        EXPECT_TRUE(view.seen) << caption << " never opened";
        EXPECT_EQ(0, boxes.PendingHandlers());
        return view;
    }

    // A previous answer, which failed queries must leave in place.
    void ShowPrevious()
    {
        SetWindowTextA(g_hMainWindow, "Ovra - [old@answer]");
        SetWindowTextA(g_hOutputPane, "old answer\r\n");
    }

    void ExpectFailure(const std::string &text)
    {
        auto seen = boxes.Take();
        EXPECT_EQ(1u, seen.size());
        if (!seen.empty()) {
            EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
            EXPECT_EQ(text, seen[0].text);
        }
        EXPECT_EQ("Ovra - [old@answer]", MainTitle());
        EXPECT_EQ("old answer\r\n", PaneText());
        ExpectIdle();
    }

    void ExpectShown(const std::string &title, const std::string &pane)
    {
        for (const SeenBox &box : boxes.Take())
            ADD_FAILURE() << "box " << box.caption << ": " << box.text;
        EXPECT_EQ(title, MainTitle());
        EXPECT_EQ(pane, PaneText());
        ExpectIdle();
    }

    // Types text into the dialog of command with a scripted server on address:port that
    // answers with a text of its own; checks the one line it got, the title and the pane.
    void ExpectExchange(WPARAM command, const char *text, const char *address,
                        unsigned short port, const char *line, const char *title);
};

// Reads the request line, sends answer and closes.
void Answer(ScriptedPeer &peer, const std::string &answer)
{
    peer.Start([answer](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string line;
        if (c.ReadLine(&line))
            c.Send(answer);
    });
}

void QueryTest::ExpectExchange(WPARAM command, const char *text, const char *address,
                               unsigned short port, const char *line, const char *title)
{
    SCOPED_TRACE(std::string("query \"") + text + "\"");
    ScriptedPeer peer(address, port);
    ASSERT_TRUE(peer.listening());
    std::string answer = std::string("answer to ") + text + "\n";
    Answer(peer, answer);
    Query(command, text);
    ASSERT_TRUE(peer.Join());
    EXPECT_EQ(Lines({line}), peer.Transcript());
    ExpectShown(title, answer.substr(0, answer.size() - 1) + "\r\n");
}

using QueryHistoryTest = QueryTest;

TEST_F(QueryHistoryTest, StoredEntriesLoadInOrderWithTheFirstSelected)
{
    ASSERT_EQ(0, StartApp());
    WriteIni("Addresses", "Finger", "u@h, v@g, ");
    WriteIni("Addresses", "Web", "h/a b,g/x/y,");

    std::string fingerBefore = StoredValue("Finger");
    std::string webBefore = StoredValue("Web");
    DialogView finger = Query(IDM_FINGER, "typed@but-cancelled", IDCANCEL);
    EXPECT_EQ(Lines({"u@h", "v@g"}), finger.list);
    EXPECT_EQ("u@h", finger.field);

    DialogView web = Query(IDM_WEB, "typed/but/cancelled", IDCANCEL);
    EXPECT_EQ(Lines({"h/a", "b", "g/x/y"}), web.list);  // the space splits an entry
    EXPECT_EQ("h/a", web.field);

    // Cancel writes nothing and runs nothing.
    EXPECT_EQ(fingerBefore, StoredValue("Finger"));
    EXPECT_EQ(webBefore, StoredValue("Web"));
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_EQ("Ovra", MainTitle());
}

TEST_F(QueryHistoryTest, WebDialogClosedFromItsSystemMenuIsACancel)
{
    ASSERT_EQ(0, StartApp());
    WriteIni("Addresses", "Web", "h/p,");
    std::string before = StoredValue("Web");
    bool hasSystemMenu = false;
    boxes.OnDialog("Web Query", [&hasSystemMenu](HWND dialog) {
        hasSystemMenu = (GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU) != 0;
        SetDlgItemTextA(dialog, IDC_QUERY, "127.0.0.199/typed");
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    Command(IDM_WEB);
    EXPECT_TRUE(hasSystemMenu);
    EXPECT_EQ(0, boxes.PendingHandlers());
    EXPECT_EQ(before, StoredValue("Web"));
    EXPECT_TRUE(boxes.Take().empty());
    EXPECT_EQ("Ovra", MainTitle());
}

TEST_F(QueryHistoryTest, EmptyHistoryLeavesTheFieldEmpty)
{
    ASSERT_EQ(0, StartApp());
    DialogView view = Query(IDM_FINGER, "", IDCANCEL);
    EXPECT_TRUE(view.list.empty());
    EXPECT_EQ("", view.field);
    EXPECT_EQ("<none>", ReadIni("Addresses", "Finger"));
}

TEST_F(QueryHistoryTest, QueryGoesOnTopReplacingAnEntryThatDiffersInCaseAndStaysWhenItFails)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    WriteIni("Addresses", "Finger", "a@x, U@127.0.0.199, c@y, u@127.0.0.199, ");
    Query(IDM_FINGER, "u@127.0.0.199");
    ExpectFailure("[10061] Connection refused");
    // Only the first match goes.
    EXPECT_EQ("u@127.0.0.199, a@x, c@y, u@127.0.0.199, ", StoredValue("Finger"));

    DialogView again = Query(IDM_FINGER, "", IDCANCEL);
    EXPECT_EQ("u@127.0.0.199", again.field);
}

TEST_F(QueryHistoryTest, WebStoresTheStrippedTextSoBothFormsAreOneEntry)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    WriteIni("Addresses", "Web", "x/y,127.0.0.199/p,");
    Query(IDM_WEB, "http://127.0.0.199/P");
    ExpectFailure("[10061] Connection refused");
    EXPECT_EQ("127.0.0.199/P,x/y,", StoredValue("Web"));
}

TEST_F(QueryHistoryTest, AtMostTwentyFiveEntriesAreWrittenBack)
{
    ASSERT_EQ(0, StartApp());
    std::string stored;
    for (int i = 0; i < 25; i++)
        stored += "e" + std::to_string(i) + "@h, ";
    WriteIni("Addresses", "Finger", stored.c_str());
    Query(IDM_FINGER, std::string("new@") + kNobody);
    boxes.Take();
    std::string expected = std::string("new@") + kNobody + ", ";
    for (int i = 0; i < 24; i++)
        expected += "e" + std::to_string(i) + "@h, ";
    EXPECT_EQ(expected, StoredValue("Finger"));

    // An edited file with more entries: all are listed, the first 25 written back.
    stored.clear();
    for (int i = 0; i < 30; i++)
        stored += "w" + std::to_string(i) + ",";
    WriteIni("Addresses", "Web", stored.c_str());
    DialogView view = Query(IDM_WEB, std::string(kNobody) + "/x");
    boxes.Take();
    EXPECT_EQ(30u, view.list.size());
    expected = std::string(kNobody) + "/x,";
    for (int i = 0; i < 24; i++)
        expected += "w" + std::to_string(i) + ",";
    EXPECT_EQ(expected, StoredValue("Web"));
    ExpectIdle();
}

TEST_F(QueryHistoryTest, OverlongEntryFromAnEditedFileIsCutToAQuery)
{
    ASSERT_EQ(0, StartApp());
    std::string longEntry(300, 'a');
    WriteIni("Addresses", "Finger", (longEntry + ", b@h, ").c_str());
    Query(IDM_FINGER, std::string("c@") + kNobody);
    boxes.Take();
    EXPECT_EQ(std::string("c@") + kNobody + ", " + std::string(127, 'a') + ", b@h, ",
              StoredValue("Finger"));
}

TEST_F(QueryHistoryTest, TypedTextIsCutAt127Characters)
{
    ASSERT_EQ(0, StartApp());
    std::string typed = "u@" + std::string(kNobody) + std::string(200, 'x');
    Query(IDM_FINGER, typed);
    boxes.Take();  // the host name is not found
    EXPECT_EQ(typed.substr(0, 127) + ", ", StoredValue("Finger"));
}

using FingerTest = QueryTest;

TEST_F(FingerTest, EveryFormOfQuerySendsItsLineToItsHost)
{
    ASSERT_EQ(0, StartApp());
    struct Row {
        const char *query, *address, *line, *title;
    } rows[] = {
        {"U@127.0.0.150", "127.0.0.150", "U", "Ovra - [U@127.0.0.150]"},
        {"@127.0.0.151", "127.0.0.151", "", "Ovra - [@127.0.0.151]"},
        {"127.0.0.152@", "127.0.0.152", "", "Ovra - [@127.0.0.152]"},
        {"U@127.0.0.153@127.0.0.199", "127.0.0.153", "U", "Ovra - [U@127.0.0.153]"},
        {"U@@127.0.0.154", "127.0.0.154", "U", "Ovra - [U@127.0.0.154]"},
        {"U V@127.0.0.155", "127.0.0.155", "U V", "Ovra - [U V@127.0.0.155]"},
        {" U@127.0.0.156", "127.0.0.156", " U", "Ovra - [ U@127.0.0.156]"},
        {"U", "127.0.0.1", "U", "Ovra - [U@localhost]"},
        {"U V", "127.0.0.1", "U", "Ovra - [U@localhost]"},
        {"", "127.0.0.1", "", "Ovra - [@localhost]"},
        {"@", "127.0.0.1", "", "Ovra - [@localhost]"},
    };
    for (const Row &r : rows) {
        ExpectExchange(IDM_FINGER, r.query, r.address, kFingerPort, r.line, r.title);
        // The history holds the query as typed, not its parts (a blank splits it on loading).
        if (r.query[0] != '\0' && strchr(r.query, ' ') == nullptr) {
            EXPECT_EQ(r.query, Query(IDM_FINGER, "", IDCANCEL).field);
        }
    }
}

TEST_F(FingerTest, DialogIsGoneAndBusyModeOnWhileTheExchangeWaits)
{
    ASSERT_EQ(0, StartApp());
    ScriptedPeer peer("127.0.0.157", kFingerPort);
    bool dialogGone = false, busy = false, greyed = false;
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string line;
        c.ReadLine(&line);
        HWND dialog = FindWindowA(nullptr, "Finger Query");
        dialogGone = dialog == nullptr || !IsWindowVisible(dialog);
        busy = g_BusyMode == 1;
        greyed = (MenuState(IDM_FINGER) & MF_GRAYED) != 0;
        c.Send("done\n");
    });
    Query(IDM_FINGER, "who@127.0.0.157");
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(dialogGone);
    EXPECT_TRUE(busy);
    EXPECT_TRUE(greyed);
    ExpectShown("Ovra - [who@127.0.0.157]", "done\r\n");
}

TEST_F(FingerTest, RealFingerDaemonAnswersAreShown)
{
    ASSERT_EQ(0, StartApp());
    Query(IDM_FINGER, "alice@127.0.0.3");
    ExpectShown("Ovra - [alice@127.0.0.3]",
                "Login: alice\t\t\tName: Ovra Test\r\nPlan:\r\nOVRA ON test-host\r\n");
    Query(IDM_FINGER, "@127.0.0.3");
    ExpectShown("Ovra - [@127.0.0.3]", "Login     Name       Tty\r\nnobody    Ovra Test  pts/0\r\n");
}

TEST_F(FingerTest, RefusedAndUnknownHostsShowTheWinsockBoxAndKeepThePane)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    Query(IDM_FINGER, std::string("u@") + kNobody);
    ExpectFailure("[10061] Connection refused");
    Query(IDM_FINGER, "u@no-such-host.invalid");
    ExpectFailure("[11001] Host not found");
    EXPECT_EQ("Finger query u@no-such-host.invalid: failed: [11001] Host not found\r\n\r\n", LastExchange());
    EXPECT_EQ(std::string("u@no-such-host.invalid, u@") + kNobody + ", ",
              StoredValue("Finger"));
}

// The capture, with answers no real server gives.
using CaptureTest = QueryTest;

TEST_F(CaptureTest, LineFeedsZeroBytesAndEmptyAnswers)
{
    ASSERT_EQ(0, StartApp());
    struct Row {
        std::string answer, shown;
    } rows[] = {
        {"a\nb\r\nc\n", "a\r\nb\r\nc\r\n"},
        {"\nfirst\n\nthird", "\r\nfirst\r\n\r\nthird"},
        {"lone\rcr\r\n", "lone\rcr\r\n"},
        {std::string("before\0after\n", 13), "before"},
        {"", ""},
    };
    int n = 0;
    for (const Row &r : rows) {
        SCOPED_TRACE("answer " + std::to_string(n));
        std::string address = "127.0.0." + std::to_string(160 + n++);
        ScriptedPeer peer(address.c_str(), kFingerPort);
        Answer(peer, r.answer);
        ShowPrevious();
        Query(IDM_FINGER, "u@" + address);
        ASSERT_TRUE(peer.Join());
        ExpectShown("Ovra - [u@" + address + "]", r.shown);
    }
}

TEST_F(CaptureTest, OnlyTheFirst16384BytesAreReadAndShown)
{
    ASSERT_EQ(0, StartApp());
    std::string answer;
    for (int i = 0; answer.size() < 40000; i++)
        answer += (char)('0' + i % 10);
    ScriptedPeer peer("127.0.0.166", kFingerPort);
    bool closedEarly = false;
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string line;
        c.ReadLine(&line);
        c.Send(answer.substr(0, 16384));
        // The client hangs up without waiting for the rest.
        closedEarly = c.WaitForClose();
    });
    Query(IDM_FINGER, "big@127.0.0.166");
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closedEarly);
    ExpectShown("Ovra - [big@127.0.0.166]", answer.substr(0, 16384));

    ScriptedPeer more("127.0.0.167", kFingerPort);
    Answer(more, answer);
    Query(IDM_FINGER, "big@127.0.0.167");
    ASSERT_TRUE(more.Join());
    ExpectShown("Ovra - [big@127.0.0.167]", answer.substr(0, 16384));
}

TEST_F(CaptureTest, AnswerSplitIntoManySegmentsIsShownWhole)
{
    ASSERT_EQ(0, StartApp());
    ScriptedPeer peer("127.0.0.168", kFingerPort);
    peer.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string line;
        c.ReadLine(&line);
        c.SendSplit("one\ntwo\n");
    });
    Query(IDM_FINGER, "u@127.0.0.168");
    ASSERT_TRUE(peer.Join());
    ExpectShown("Ovra - [u@127.0.0.168]", "one\r\ntwo\r\n");
}

TEST_F(CaptureTest, SilentServerIsCutOffByTheWatchdog)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    SetWatchdogPeriod(500);
    ScriptedPeer peer("127.0.0.169", kFingerPort);
    bool closed = false;
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string line;
        c.ReadLine(&line);
        closed = c.WaitForClose();
    });
    Query(IDM_FINGER, "u@127.0.0.169");
    SetWatchdogPeriod(kWatchdogPeriod);
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closed);
    ExpectFailure("[10004] Interrupted system call");
}

// Disabled under Wine: Wine 8 loses a peer's reset (a plain blocking recv returns 0 after a
// native server's RST, and FD_CLOSE carries no error), so a reset answer looks complete.
// On Windows recv fails with 10054 and the ordinary failure path reports it.
TEST_F(CaptureTest, DISABLED_ResetConnectionIsReported)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    ScriptedPeer peer("127.0.0.170", kFingerPort);
    peer.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string line;
        c.ReadLine(&line);
        c.Reset();
    });
    Query(IDM_FINGER, "u@127.0.0.170");
    ASSERT_TRUE(peer.Join());
    ExpectFailure("[10054] Connection reset by peer");
}

using WebTest = QueryTest;

TEST_F(WebTest, EveryFormOfQuerySendsItsRequestToItsHost)
{
    ASSERT_EQ(0, StartApp());
    struct Row {
        const char *typed, *stored, *address, *line, *title;
    } rows[] = {
        {"127.0.0.180/P", "127.0.0.180/P", "127.0.0.180", "GET /P", "Ovra - [http://127.0.0.180/P]"},
        {"http://127.0.0.181/P", "127.0.0.181/P", "127.0.0.181", "GET /P", "Ovra - [http://127.0.0.181/P]"},
        {"HTTP://127.0.0.182/P", "127.0.0.182/P", "127.0.0.182", "GET /P", "Ovra - [http://127.0.0.182/P]"},
        {"127.0.0.183/A/B", "127.0.0.183/A/B", "127.0.0.183", "GET /A/B", "Ovra - [http://127.0.0.183/A/B]"},
        {"/127.0.0.184/P", "/127.0.0.184/P", "127.0.0.184", "GET /P", "Ovra - [http://127.0.0.184/P]"},
        {"127.0.0.185//P", "127.0.0.185//P", "127.0.0.185", "GET //P", "Ovra - [http://127.0.0.185//P]"},
        {"127.0.0.186", "127.0.0.186", "127.0.0.186", "GET /", "Ovra - [http://127.0.0.186/]"},
        {"127.0.0.187/", "127.0.0.187/", "127.0.0.187", "GET /", "Ovra - [http://127.0.0.187/]"},
        {"127.0.0.188/a b", "127.0.0.188/a b", "127.0.0.188", "GET /a b", "Ovra - [http://127.0.0.188/a b]"},
    };
    for (const Row &r : rows) {
        ExpectExchange(IDM_WEB, r.typed, r.address, kHttpPort, r.line, r.title);
        EXPECT_EQ(std::string(r.stored) + ",", StoredValue("Web").substr(0, strlen(r.stored) + 1));
    }
}

TEST_F(WebTest, RealServerAnswersTheSimpleRequestWithTheBody)
{
    ASSERT_EQ(0, StartApp());
    Query(IDM_WEB, "127.0.0.4/dir/lines.txt");
    ExpectShown("Ovra - [http://127.0.0.4/dir/lines.txt]", "first\r\nsecond\r\nthird\r\n");
    Query(IDM_WEB, "http://127.0.0.4/ovra.txt");
    ExpectShown("Ovra - [http://127.0.0.4/ovra.txt]", "OVRA ON test-host\r\n");
}

TEST_F(WebTest, SchemesAndPortsEndInTheHostNameAndFailTheLookUp)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    Query(IDM_WEB, "https://127.0.0.189/P");
    ExpectFailure("[11001] Host not found");
    Query(IDM_WEB, "127.0.0.189:8080/P");
    ExpectFailure("[11001] Host not found");
    Query(IDM_WEB, std::string(kNobody) + "/P");
    ExpectFailure("[10061] Connection refused");
    EXPECT_EQ(std::string(kNobody) + "/P,127.0.0.189:8080/P,https://127.0.0.189/P,",
              StoredValue("Web"));
}

TEST_F(WebTest, ServerWaitingForHeaderLinesEndsInTheWatchdogBoxNamingTheSwitch)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    SetWatchdogPeriod(500);
    Query(IDM_WEB, "127.0.0.5/ovra.txt");  // lighttpd
    SetWatchdogPeriod(kWatchdogPeriod);
    ExpectFailure("[10004] Interrupted system call\r\n\r\nTurning on Web queries as HTTP/1.0 in "
                  "Settings > Connection may help: some servers wait for more.");
}

// Settings > Connection's HTTP/1.0 switch: the request with its headers, and what the pane
// shows of the answers of real servers that ignore a simple request.
class Http10Test : public QueryTest {
protected:
    void SetUp() override
    {
        QueryTest::SetUp();
        WriteIni("Settings", "WebHttp10", "true");
    }
};

TEST_F(Http10Test, RequestNamesTheHostAsTypedWithItsPortAndTheAgent)
{
    ASSERT_EQ(0, StartApp());
    ScriptedPeer peer("127.0.0.190", kHttpPort);
    ASSERT_TRUE(peer.listening());
    peer.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        std::string line;
        while (c.ReadLine(&line) && !line.empty()) {
        }
        c.Send("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nthe body\n");
    });
    Query(IDM_WEB, "http://127.0.0.190/a/b.txt");
    ASSERT_TRUE(peer.Join());
    EXPECT_EQ(Lines({"GET /a/b.txt HTTP/1.0", "Host: 127.0.0.190:8080", "User-Agent: Ovra/1.1b2", ""}),
              peer.Transcript());
    ExpectShown("Ovra - [http://127.0.0.190/a/b.txt]", "the body\r\n");
}

TEST_F(Http10Test, RealServersShowTheBodyOrTheStatusLine)
{
    ASSERT_EQ(0, StartApp());
    struct Row {
        const char *query, *pane;
    } rows[] = {
        {"127.0.0.4/ovra.txt", "OVRA ON test-host\r\n"},  // nginx
        {"127.0.0.5/ovra.txt", "default site\r\n"},       // lighttpd, its default host
        {"127.0.0.9/ovra.txt", "default site\r\n"},       // Python's http.server
        {"[::ffff:127.0.0.4]/ovra.txt", "OVRA ON test-host\r\n"},  // nginx, over IPv6
    };
    for (const Row &r : rows) {
        Query(IDM_WEB, r.query);
        ExpectShown(std::string("Ovra - [http://") + r.query + "]", r.pane);
    }
    // The redirect to the folder is followed.
    Query(IDM_WEB, "127.0.0.9/dir");
    EXPECT_EQ(0u, PaneText().rfind("Answer from http://127.0.0.9/dir/\r\n<!DOCTYPE HTML>", 0)) << PaneText();
    Query(IDM_WEB, "127.0.0.5/missing");
    EXPECT_EQ(0u, PaneText().rfind("HTTP/1.0 404 Not Found\r\n", 0)) << PaneText();
    // The Host line picks lighttpd's virtual host by name.
    if (gethostbyname("www.ovra.test") != nullptr) {
        Query(IDM_WEB, "www.ovra.test/ovra.txt");
        ExpectShown("Ovra - [http://www.ovra.test/ovra.txt]", "OVRA ON www-host\r\n");
    }
}

// Today's web: TLS, ports and redirects, against nginx.
TEST_F(Http10Test, HttpsPortsAndRedirectsEndInTheFinalAnswer)
{
    ASSERT_EQ(0, StartApp());
    static bool trusted = daemon_ftp::TrustTestAuthority();
    ASSERT_TRUE(trusted);
    struct Row {
        const char *query, *title, *pane;
    } rows[] = {
        {"https://web.ovra.test/page.txt", "https://web.ovra.test/page.txt", "web page\r\n"},
        {"HTTPS://web.ovra.test:8443/page.txt", "https://web.ovra.test:8443/page.txt", "web page\r\n"},
        {"web.ovra.test:8081/page.txt", "http://web.ovra.test:8081/page.txt", "web page\r\n"},
        {"http://web.ovra.test/page.txt", "http://web.ovra.test/page.txt",
         "Answer from https://web.ovra.test/page.txt\r\nweb page\r\n"},
        {"https://web.ovra.test/hops/xxxxx", "https://web.ovra.test/hops/xxxxx",
         "Answer from https://web.ovra.test/hops/\r\narrived\r\n"},
        {"https://web.ovra.test/elsewhere", "https://web.ovra.test/elsewhere",
         "Answer from http://127.0.0.4:8080/ovra.txt\r\nOVRA ON test-host\r\n"},
    };
    for (const Row &r : rows) {
        Query(IDM_WEB, r.query);
        ExpectShown(std::string("Ovra - [") + r.title + "]", r.pane);
    }
    // Each request and answer of the chain, the TLS one marked, after what it came to.
    std::string last = LastExchange();
    EXPECT_EQ(0u, last.rfind("Web query https://web.ovra.test/elsewhere: answer shown, ", 0)) << last;
    size_t at = 0;
    for (const char *step : {"#1 connected to 127.0.0.222 port 8443\r\n", "#1 TLS started\r\n",
                             "#1 TLS > GET /elsewhere HTTP/1.0\r\n", "#1 TLS > Host: web.ovra.test",
                             "#1 TLS < HTTP/1.1 30", "#2 connected to 127.0.0.4 port 8080\r\n",
                             "#2 > GET /ovra.txt HTTP/1.0\r\n", "#2 < OVRA ON test-host\r\n"}) {
        at = last.find(step, at);
        ASSERT_NE(std::string::npos, at) << step << " in\n" << last;
    }
    // The sixth redirect is shown as it came.
    Query(IDM_WEB, "https://web.ovra.test/hops/xxxxxx");
    EXPECT_EQ(0u, PaneText().rfind("Answer from https://web.ovra.test/hops/x\r\nHTTP/1.1 302 Moved "
                                   "Temporarily\r\nLocation: ./\r\n\r\n<html>", 0)) << PaneText();
    EXPECT_EQ("https://web.ovra.test/hops/xxxxxx,https://web.ovra.test/elsewhere,", StoredValue("Web").substr(0, 66));
}

TEST_F(Http10Test, UnknownCertificateIsAskedAboutAndPinnedForItsHost)
{
    ASSERT_EQ(0, StartApp());
    ShowPrevious();
    for (int answer : {IDNO, IDYES}) {
        boxes.OnDialog("Ovra Certificate", [answer](HWND box) { PressButton(box, answer); });
        Query(IDM_WEB, "https://unknown.ovra.test/page.txt");
        EXPECT_EQ(0, boxes.PendingHandlers());
        if (answer == IDNO) {  // declined: nothing pinned, nothing shown
            EXPECT_EQ("<none>", ReadIni("Certificates", "unknown.ovra.test"));
            EXPECT_EQ("old answer\r\n", PaneText());
        }
    }
    ExpectShown("Ovra - [https://unknown.ovra.test/page.txt]", "web page\r\n");
    EXPECT_EQ(95u, ReadIni("Certificates", "unknown.ovra.test").size());
    SetWindowTextA(g_hOutputPane, "");
    Query(IDM_WEB, "https://unknown.ovra.test/page.txt");
    ExpectShown("Ovra - [https://unknown.ovra.test/page.txt]", "web page\r\n");
    // A server that speaks no TLS fails in the web query's box.
    Query(IDM_WEB, "https://127.0.0.4:8080/");
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Error", seen[0].caption);
    ExpectIdle();
}

// Both certificates come from the trusted authority and name revocation lists: one lists it
// as revoked, which ends the query with a box and nothing to pin; the other's cannot be
// fetched, which is no failure.
TEST_F(Http10Test, RevokedCertificateIsRefusedAndAnUnreachableListIsNoFailure)
{
    ASSERT_EQ(0, StartApp());
    Query(IDM_WEB, "https://revoked.ovra.test/page.txt");
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Certificate", seen[0].caption);
    EXPECT_EQ(0u, seen[0].text.find("The certificate of revoked.ovra.test cannot be verified: it was revoked."
                                    "\r\n\r\nSHA-256: ")) << seen[0].text;
    EXPECT_EQ("<none>", ReadIni("Certificates", "revoked.ovra.test"));
    Query(IDM_WEB, "https://offline.ovra.test/page.txt");
    ExpectShown("Ovra - [https://offline.ovra.test/page.txt]", "web page\r\n");
    ExpectIdle();
}

// The server asks for a new handshake once the request has arrived, then answers. Windows
// renegotiates and shows the answer; Wine's provider reports the renegotiation and then fails
// the new handshake, which must end in a box that says so, not in a broken-off connection.
TEST_F(Http10Test, RenegotiationEndsInTheAnswerOrInABoxThatSaysSo)
{
    ASSERT_EQ(0, StartApp());
    Query(IDM_WEB, "https://renegotiate.ovra.test/");
    auto seen = boxes.Take();
    if (seen.empty()) {
        EXPECT_EQ("renegotiated\r\n", PaneText());
    } else {
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(0u, seen[0].text.find("Renegotiating TLS failed (error 0x"))
            << seen[0].text;
    }
    ExpectIdle();
}

// The subject holds CR LF and a line that imitates the fingerprint's, then a right-to-left
// override: the question shows the real fingerprint first, and each name on one line.
TEST_F(Http10Test, CertificateNamesCannotForgeTheQuestion)
{
    ASSERT_EQ(0, StartApp());
    std::string question;
    boxes.OnDialog("Ovra Certificate", [&](HWND box) {
        question = WindowText(GetDlgItem(box, 0xFFFF));
        PressButton(box, IDYES);
    });
    Query(IDM_WEB, "https://forged.ovra.test/page.txt");
    ExpectShown("Ovra - [https://forged.ovra.test/page.txt]", "web page\r\n");
    std::string pinned = ReadIni("Certificates", "forged.ovra.test");
    EXPECT_NE(std::string::npos,
              question.find("issued by an authority this computer does not trust.\r\n\r\nSHA-256: " + pinned +
                            "\r\n\r\nSubject: CN=\"forged.ovra.test??SHA-256: 00:00:00:00:00:00:00:00:00:00:00?\", "
                            "O=\"Ovra Test\"\r\nIssuer: CN=Ovra Unknown CA"))
        << question;
    EXPECT_EQ(question.find("SHA-256:"), question.rfind("\nSHA-256:") + 1) << question;
}

}  // namespace
