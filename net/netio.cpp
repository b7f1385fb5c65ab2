#include "net/netio.h"

#include <windows.h>

#include <string.h>

enum {
    WM_NET_LOOKUP = WM_APP + 2,     // WSAAsyncGetHostBy* completions
    WM_NET_WAKE = WM_APP + 3,       // makes a waiting loop look at its wait again
    kLimitTimer = 1,                // the notifier's timer of NetLimitWaits
    WM_NET_SOCKET = WM_APP + 0x100, // the first of kEventMessages for WSAAsyncSelect events
    kEventMessages = 0x100,
    kMaxSockets = 32,
};

static const char kNotifierClass[] = "OvraSocketEvents";

struct Lookup;

// One waiting call. It lives on the stack of the call; a nested call made after its
// exchange was abandoned stacks on top of it.
struct Wait {
    SOCKET socket;
    UINT message;  // the socket's event message
    long events;
    Lookup *lookup;      // the look-up it waits for, if it waits for one
    bool taskCancelled;  // WSACancelAsyncRequest succeeded
    bool done;
    int error;
    bool cancelled;
    bool timedOut;  // the limit of NetLimitWaits ran out
    bool abandoned;
    Wait *outer;
};

// Every socket gets an event message of its own, so events still queued for a closed socket
// never pass for those of a later socket that gets the same handle value: nothing has to be
// taken out of the queue when a socket closes (which would run messages sent meanwhile by
// other programs, in the middle of closing).
struct OpenSocket {
    SOCKET socket;
    UINT message;
    char *kept;  // bytes given back by its reader (NetKeep), on the heap
    int keptLength;
    bool keptSecured;
};

// One look-up's answer. A look-up given up on can still end and write its answer (Wine's
// WSACancelAsyncRequest stops nothing, and on Windows the cancel can come too late), so the
// answer goes to a block of its own, apart from the caller's buffer, which the completion
// message finds again by its task handle. The block goes when its answer has been taken,
// when the message of one given up on arrives, or at once when a cancel succeeded on
// Windows, which posts nothing.
struct Lookup {
    HANDLE task;
    Wait *wait;      // the call waiting for the answer, if one does
    bool arrived;
    bool givenUp;    // nobody takes the answer: it is freed when it arrives
    int error;
    Lookup *next;
    char answer[MAXGETHOSTSTRUCT];
};

// The socket library's per-process record, as Winsock 1.1 kept one per task: the window
// that receives socket events and look-up answers, the call that waits, the sockets still
// open and the look-ups not yet ended.
static struct {
    HWND notifier;
    Wait *current;
    OpenSocket open[kMaxSockets];
    int openCount;
    UINT lastMessage;
    NetCloseHook closeHook;
    Lookup *lookups;
    unsigned limit;  // NetLimitWaits, 0 for none
} net;

static bool RunningOnWine(void)
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

static Lookup *FindLookup(HANDLE task)
{
    Lookup *lookup = net.lookups;
    while (lookup != nullptr && lookup->task != task)
        lookup = lookup->next;
    return lookup;
}

static void FreeLookup(Lookup *lookup)
{
    Lookup **link = &net.lookups;
    while (*link != lookup)
        link = &(*link)->next;
    *link = lookup->next;
    HeapFree(GetProcessHeap(), 0, lookup);
}

static void LookupArrived(WPARAM wParam, LPARAM lParam)
{
    Lookup *lookup = FindLookup((HANDLE)wParam);
    if (lookup == nullptr)
        return;
    if (lookup->givenUp) {
        FreeLookup(lookup);
        return;
    }
    lookup->arrived = true;
    lookup->error = WSAGETASYNCERROR(lParam);
    if (lookup->wait != nullptr)
        lookup->wait->done = true;
}

// Nobody takes this answer. Its block stays until the answer can no longer be written.
static void GiveUp(Lookup *lookup, bool cancelled)
{
    if (lookup->arrived || (cancelled && !RunningOnWine()))
        FreeLookup(lookup);
    else
        lookup->givenUp = true;
}

static void CancelTask(Wait *wait);

static LRESULT CALLBACK NotifierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Wait *wait = net.current;
    if (message >= WM_NET_SOCKET && message < WM_NET_SOCKET + kEventMessages) {
        // Events are hints: the waiting call retries its operation after any of them.
        if (wait != nullptr && wait->lookup == nullptr && (SOCKET)wParam == wait->socket &&
            message == wait->message && (WSAGETSELECTEVENT(lParam) & wait->events) != 0) {
            wait->done = true;
            wait->error = WSAGETSELECTERROR(lParam);
        }
        return 0;
    }
    if (message == WM_NET_LOOKUP) {
        LookupArrived(wParam, lParam);
        return 0;
    }
    if (message == WM_TIMER && wParam == kLimitTimer) {
        KillTimer(window, kLimitTimer);
        if (wait != nullptr && !wait->done) {
            wait->timedOut = wait->cancelled = true;
            CancelTask(wait);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Made when the first socket or look-up needs it, not at start, where it would delay the
// main window by a millisecond or two.
static bool HaveNotifier(void)
{
    if (net.notifier != nullptr)
        return true;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NotifierProc;
    wc.hInstance = instance;
    wc.lpszClassName = kNotifierClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    net.notifier = CreateWindowExA(0, kNotifierClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, nullptr);
    if (net.notifier == nullptr)
        WSASetLastError(WSAENOBUFS);
    return net.notifier != nullptr;
}

static bool CallPending(void)
{
    return net.current != nullptr && !net.current->abandoned;
}

// Winsock 1.1 allowed one blocking call at a time on a thread.
static bool RefuseNested(void)
{
    if (!CallPending())
        return false;
    WSASetLastError(WSAEINPROGRESS);
    return true;
}

// A wait can be cancelled or abandoned from a message that another thread sent, which
// GetMessage handles without returning: a posted message makes its loop look again.
static void Wake(void)
{
    PostMessageA(net.notifier, WM_NET_WAKE, 0, 0);
}

// Dispatches messages until the wait's event arrives, or the wait is cancelled or abandoned.
static int RunWait(Wait *wait)
{
    wait->outer = net.current;
    net.current = wait;
    if (net.limit != 0)
        SetTimer(net.notifier, kLimitTimer, net.limit, nullptr);
    MSG msg;
    while (!wait->done && !wait->cancelled && !wait->abandoned) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Leave the quit message for the loop that owns it.
            PostQuitMessage((int)msg.wParam);
            NetAbandon();
            break;
        }
        if (got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (net.limit != 0)
        KillTimer(net.notifier, kLimitTimer);
    net.current = wait->outer;
    if (net.current != nullptr && net.current->abandoned)
        Wake();  // a nested wait may have taken the wake meant for the outer one
    if (wait->abandoned) {
        WSASetLastError(kNetAbandoned);
        return SOCKET_ERROR;
    }
    if (!wait->done) {
        WSASetLastError(wait->timedOut ? WSAETIMEDOUT : WSAEINTR);
        return SOCKET_ERROR;
    }
    return 0;
}

static OpenSocket *FindOpenSocket(SOCKET s)
{
    for (int i = 0; i < net.openCount; i++) {
        if (net.open[i].socket == s)
            return &net.open[i];
    }
    return nullptr;
}

static UINT MessageOf(SOCKET s)
{
    OpenSocket *open = FindOpenSocket(s);
    return open != nullptr ? open->message : 0;
}

// Waits for one of events on s; eventError (when given) receives the event's error.
static int WaitForSocket(SOCKET s, long events, int *eventError)
{
    Wait wait = {};
    wait.socket = s;
    wait.message = MessageOf(s);
    wait.events = events;
    int result = RunWait(&wait);
    if (eventError != nullptr)
        *eventError = wait.error;
    return result;
}

static UINT NextEventMessage(void)
{
    net.lastMessage = (net.lastMessage + 1) % kEventMessages;
    return WM_NET_SOCKET + net.lastMessage;
}

static void Record(SOCKET s, UINT message)
{
    net.open[net.openCount++] = {s, message, nullptr, 0, false};
}

static void DropKept(OpenSocket *open)
{
    if (open->kept != nullptr)
        HeapFree(GetProcessHeap(), 0, open->kept);
    open->kept = nullptr;
    open->keptLength = 0;
}

static void ForgetSocket(SOCKET s)
{
    OpenSocket *open = FindOpenSocket(s);
    if (open == nullptr)
        return;
    DropKept(open);
    *open = net.open[--net.openCount];
}

static void CloseAll(void)
{
    while (net.openCount > 0)
        NetClose(net.open[net.openCount - 1].socket);
}

// An IPv6 look-up's task is its own answer block (nothing stops getaddrinfo on its thread).
static bool Threaded(const Lookup *lookup)
{
    return lookup->task == (HANDLE)lookup->answer;
}

static bool Cancel(Lookup *lookup)
{
    return !Threaded(lookup) && WSACancelAsyncRequest(lookup->task) == 0;
}

static void CancelTask(Wait *wait)
{
    if (wait->lookup != nullptr)
        wait->taskCancelled = Cancel(wait->lookup);
}

// A look-up nobody waits for, given up with a cancel unless its answer is in.
static void Drop(Lookup *lookup)
{
    if (!lookup->givenUp)
        GiveUp(lookup, !lookup->arrived && Cancel(lookup));
}

// Look-ups started and not waited for, when their exchange ends early.
static void GiveUpStarted(void)
{
    Lookup *lookup = net.lookups;
    while (lookup != nullptr) {
        Lookup *next = lookup->next;
        if (lookup->wait == nullptr)
            Drop(lookup);
        lookup = next;
    }
}

int NetStartup(void)
{
    WSADATA data;
    return WSAStartup(0x0101, &data);
}

int NetCleanup(void)
{
    CloseAll();
    if (net.notifier != nullptr) {
        DestroyWindow(net.notifier);
        net.notifier = nullptr;
    }
    return WSACleanup() == 0 ? 0 : WSAGetLastError();
}

void NetAbandon(void)
{
    for (Wait *wait = net.current; wait != nullptr; wait = wait->outer) {
        wait->abandoned = true;
        CancelTask(wait);
    }
    if (net.current != nullptr)
        Wake();
    GiveUpStarted();
    CloseAll();
}

int NetRestart(void)
{
    NetAbandon();
    net.limit = 0;
    if (WSACleanup() != 0)
        return SOCKET_ERROR;
    WSADATA data;
    int result = WSAStartup(0x0101, &data);
    if (result != 0) {
        WSASetLastError(result);
        return SOCKET_ERROR;
    }
    return 0;
}

bool NetWaitFailed(int code)
{
    return code == WSAEINTR || code == WSAEINPROGRESS || code == kNetAbandoned;
}

void NetLimitWaits(unsigned milliseconds)
{
    net.limit = milliseconds;
}

int NetCancelWait(void)
{
    if (!CallPending()) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    net.current->cancelled = true;
    CancelTask(net.current);
    Wake();
    return 0;
}

SOCKET NetSocket(int family, int type, int protocol)
{
    if (RefuseNested())
        return INVALID_SOCKET;
    if (net.openCount == kMaxSockets) {
        WSASetLastError(WSAEMFILE);
        return INVALID_SOCKET;
    }
    if (!HaveNotifier())
        return INVALID_SOCKET;
    SOCKET s = socket(family, type, protocol);
    if (s == INVALID_SOCKET)
        return INVALID_SOCKET;
    UINT message = NextEventMessage();
    if (WSAAsyncSelect(s, net.notifier, message,
                       FD_READ | FD_WRITE | FD_CONNECT | FD_ACCEPT | FD_CLOSE) != 0) {
        int error = WSAGetLastError();
        closesocket(s);
        WSASetLastError(error);
        return INVALID_SOCKET;
    }
    Record(s, message);
    return s;
}

void NetSetCloseHook(NetCloseHook hook)
{
    net.closeHook = hook;
}

int NetClose(SOCKET s)
{
    if (net.closeHook != nullptr)
        net.closeHook(s);
    ForgetSocket(s);
    return closesocket(s);
}

int NetConnect(SOCKET s, const struct sockaddr *address, int length)
{
    if (RefuseNested())
        return SOCKET_ERROR;
    if (connect(s, address, length) == 0)
        return 0;
    if (WSAGetLastError() != WSAEWOULDBLOCK)
        return SOCKET_ERROR;
    int error = 0;
    if (WaitForSocket(s, FD_CONNECT, &error) != 0)
        return SOCKET_ERROR;
    if (error != 0) {
        WSASetLastError(error);
        return SOCKET_ERROR;
    }
    return 0;
}

int NetSendAll(SOCKET s, const char *buffer, int length)
{
    if (RefuseNested())
        return SOCKET_ERROR;
    int sent = 0;
    while (sent < length) {
        int count = send(s, buffer + sent, length - sent, 0);
        if (count != SOCKET_ERROR) {
            sent += count;
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK ||
            WaitForSocket(s, FD_WRITE | FD_CLOSE, nullptr) != 0)
            return SOCKET_ERROR;
    }
    return sent;
}

int NetRecv(SOCKET s, char *buffer, int length)
{
    if (RefuseNested())
        return SOCKET_ERROR;
    for (;;) {
        int count = recv(s, buffer, length, 0);
        if (count != SOCKET_ERROR)
            return count;
        if (WSAGetLastError() != WSAEWOULDBLOCK ||
            WaitForSocket(s, FD_READ | FD_CLOSE, nullptr) != 0)
            return SOCKET_ERROR;
    }
}

int NetWaitSocket(SOCKET s, long events)
{
    if (RefuseNested())
        return SOCKET_ERROR;
    return WaitForSocket(s, events, nullptr);
}

SOCKET NetAccept(SOCKET listener, const NetAddress *from, int *turnedAway)
{
    if (RefuseNested())
        return INVALID_SOCKET;
    if (net.openCount == kMaxSockets) {
        WSASetLastError(WSAEMFILE);
        return INVALID_SOCKET;
    }
    for (;;) {
        NetAddress peer = {};
        int size = sizeof peer.storage;
        SOCKET s = accept(listener, &peer.any, &size);
        if (s != INVALID_SOCKET && from != nullptr && !SameHost(&peer, from)) {
            closesocket(s);
            ++*turnedAway;
            continue;
        }
        if (s != INVALID_SOCKET) {
            Record(s, MessageOf(listener));  // it inherits the listener's registration
            return s;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK || WaitForSocket(listener, FD_ACCEPT, nullptr) != 0)
            return INVALID_SOCKET;
    }
}

int NetKeep(SOCKET s, const char *bytes, int length, bool secured)
{
    OpenSocket *open = FindOpenSocket(s);
    if (open == nullptr) {
        WSASetLastError(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    if (open->keptSecured != secured)
        DropKept(open);
    // They came before whatever is still kept.
    auto *kept = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)(length + open->keptLength) + 1);
    if (kept == nullptr) {
        WSASetLastError(WSAENOBUFS);
        return SOCKET_ERROR;
    }
    memcpy(kept, bytes, (size_t)length);
    if (open->keptLength > 0)
        memcpy(kept + length, open->kept, (size_t)open->keptLength);
    int total = length + open->keptLength;
    DropKept(open);
    open->kept = kept;
    open->keptLength = total;
    open->keptSecured = secured;
    return 0;
}

int NetTakeKept(SOCKET s, char *buffer, int room, bool secured)
{
    OpenSocket *open = FindOpenSocket(s);
    if (open == nullptr || open->keptLength == 0)
        return 0;
    if (open->keptSecured != secured) {
        DropKept(open);
        return 0;
    }
    int count = room < open->keptLength ? room : open->keptLength;
    memcpy(buffer, open->kept, (size_t)count);
    open->keptLength -= count;
    memmove(open->kept, open->kept + count, (size_t)open->keptLength);
    if (open->keptLength == 0)
        DropKept(open);
    return count;
}

// The entry points into its own block: its pointers move with it.
static char *Moved(char *p, const char *from, char *to)
{
    if (p < from || p >= from + MAXGETHOSTSTRUCT)
        return p;
    return to + (p - from);
}

static struct hostent *CopyHostEntry(const char *answer, char *buffer)
{
    memcpy(buffer, answer, MAXGETHOSTSTRUCT);
    auto *entry = (struct hostent *)buffer;
    entry->h_name = Moved(entry->h_name, answer, buffer);
    char ***lists[] = {&entry->h_aliases, &entry->h_addr_list};
    for (char ***list : lists) {
        *list = (char **)Moved((char *)*list, answer, buffer);
        for (char **item = *list; item != nullptr && *item != nullptr; item++)
            *item = Moved(*item, answer, buffer);
    }
    return entry;
}

typedef HANDLE (*StartLookup)(HWND window, const void *key, char *answer);

static HANDLE BeginLookup(StartLookup start, const void *key)
{
    if (!HaveNotifier())
        return nullptr;
    auto *lookup = (Lookup *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Lookup));
    if (lookup == nullptr) {
        WSASetLastError(WSAENOBUFS);
        return nullptr;
    }
    lookup->task = start(net.notifier, key, lookup->answer);
    if (lookup->task == nullptr) {
        int error = WSAGetLastError();
        HeapFree(GetProcessHeap(), 0, lookup);
        WSASetLastError(error);
        return nullptr;
    }
    lookup->next = net.lookups;
    net.lookups = lookup;
    return lookup->task;
}

static HANDLE StartByName(HWND window, const void *name, char *answer)
{
    return WSAAsyncGetHostByName(window, WM_NET_LOOKUP, (const char *)name, answer,
                                 MAXGETHOSTSTRUCT);
}

static HANDLE StartByAddr(HWND window, const void *key, char *answer)
{
    auto *address = (const NetAddress *)key;
    int length;
    const char *bytes = AddressBytes(address, &length);
    return WSAAsyncGetHostByAddr(window, WM_NET_LOOKUP, bytes, length, address->any.sa_family,
                                 answer, MAXGETHOSTSTRUCT);
}

// What an IPv6 look-up's thread takes and gives, in the look-up's answer block.
struct IPv6Ask {
    HWND window;
    char host[256];
    NetAddress found;
};
static_assert(sizeof(IPv6Ask) <= MAXGETHOSTSTRUCT, "an IPv6 look-up fits its answer block");

// The answer comes as a WSAAsyncGetHostBy* one does, by its task (the block itself).
static DWORD WINAPI RunIPv6Ask(void *block)
{
    auto *ask = (IPv6Ask *)block;
    int error = LookUpIPv6(ask->host, &ask->found);
    PostMessageA(ask->window, WM_NET_LOOKUP, (WPARAM)block, WSAMAKEASYNCREPLY(0, error));
    return 0;
}

static HANDLE StartIPv6(HWND window, const void *host, char *answer)
{
    auto *ask = (IPv6Ask *)answer;
    ask->window = window;
    lstrcpynA(ask->host, (const char *)host, sizeof ask->host);
    HANDLE thread = CreateThread(nullptr, 0, RunIPv6Ask, answer, 0, nullptr);
    if (thread == nullptr) {
        WSASetLastError(WSAENOBUFS);
        return nullptr;
    }
    CloseHandle(thread);
    return (HANDLE)answer;
}

HANDLE NetStartHostByAddr(const NetAddress *address)
{
    return BeginLookup(StartByAddr, address);
}

// The look-up with its answer in, or null (code set) when it failed, its block then freed
// or given up.
static Lookup *Await(HANDLE task)
{
    Lookup *lookup = FindLookup(task);
    if (lookup == nullptr || lookup->givenUp) {
        WSASetLastError(WSAEINVAL);
        return nullptr;
    }
    int error = lookup->error;
    if (!lookup->arrived) {
        if (RefuseNested()) {
            Drop(lookup);
            return nullptr;
        }
        Wait wait = {};
        wait.lookup = lookup;
        lookup->wait = &wait;
        int result = RunWait(&wait);
        lookup->wait = nullptr;
        if (!wait.done) {
            GiveUp(lookup, wait.taskCancelled);
            return nullptr;
        }
        if (result != 0)
            error = WSAGetLastError();  // abandoned as the answer came
        else
            error = lookup->error;
    }
    if (error != 0) {
        FreeLookup(lookup);
        WSASetLastError(error);
        return nullptr;
    }
    return lookup;
}

struct hostent *NetFinishLookup(HANDLE task, char *buffer)
{
    Lookup *lookup = Await(task);
    if (lookup == nullptr)
        return nullptr;
    struct hostent *entry = CopyHostEntry(lookup->answer, buffer);
    FreeLookup(lookup);
    WSASetLastError(0);
    return entry;
}

void NetDropLookup(HANDLE task)
{
    Lookup *lookup = FindLookup(task);
    if (lookup != nullptr)
        Drop(lookup);
}

static struct hostent *RunLookup(StartLookup start, const void *key, char *buffer)
{
    if (RefuseNested())
        return nullptr;
    HANDLE task = BeginLookup(start, key);
    return task != nullptr ? NetFinishLookup(task, buffer) : nullptr;
}

struct hostent *NetGetHostByName(const char *name, char *buffer)
{
    return RunLookup(StartByName, name, buffer);
}

struct hostent *NetGetHostByAddr(const NetAddress *address, char *buffer)
{
    return RunLookup(StartByAddr, address, buffer);
}

int NetLookUpIPv6(const char *host, NetAddress *address)
{
    if (RefuseNested())
        return SOCKET_ERROR;
    if (lstrlenA(host) >= (int)sizeof(((IPv6Ask *)nullptr)->host)) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return SOCKET_ERROR;
    }
    HANDLE task = BeginLookup(StartIPv6, host);
    Lookup *lookup = task != nullptr ? Await(task) : nullptr;
    if (lookup == nullptr)
        return SOCKET_ERROR;
    *address = ((IPv6Ask *)lookup->answer)->found;
    FreeLookup(lookup);
    return 0;
}

int NetOpenSocketCount(void)
{
    return net.openCount;
}

int NetStartedLookupCount(void)
{
    int count = 0;
    for (Lookup *lookup = net.lookups; lookup != nullptr; lookup = lookup->next)
        count += lookup->givenUp ? 0 : 1;
    return count;
}
