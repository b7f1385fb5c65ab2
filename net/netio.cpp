#include "net/netio.h"

#include <windows.h>

#include <string.h>

enum {
    WM_NET_SOCKET = WM_APP + 1,  // WSAAsyncSelect events
    WM_NET_LOOKUP = WM_APP + 2,  // WSAAsyncGetHostBy* completions
    kMaxSockets = 32,
};

static const char kNotifierClass[] = "OvraSocketEvents";

// One waiting call. It lives on the stack of the call; a nested call made after its
// exchange was abandoned stacks on top of it.
struct Wait {
    SOCKET socket;
    long events;
    HANDLE task;
    bool done;
    int error;
    bool cancelled;
    bool abandoned;
    Wait *outer;
};

// The socket library's per-process record, as Winsock 1.1 kept one per task: the window
// that receives socket events, the call that waits, and the sockets still open.
static struct {
    HWND notifier;
    Wait *current;
    SOCKET open[kMaxSockets];
    int openCount;
    bool quietFailure;
    NetCloseHook closeHook;
} net;

// One look-up's answer. Winsock writes it when the look-up ends even after the look-up was
// given up on (WSACancelAsyncRequest does not stop it), so it is kept apart from the
// caller's buffer, in a block that a look-up given up on frees once its answer arrives.
// Each look-up has a window of its own that holds the block, found again from the message.
struct Lookup {
    Wait *wait;  // null once given up on
    char answer[MAXGETHOSTSTRUCT];
};

static void EndLookup(HWND window)
{
    HeapFree(GetProcessHeap(), 0, (void *)GetWindowLongPtrA(window, GWLP_USERDATA));
    DestroyWindow(window);
}

static void LookupArrived(HWND window, LPARAM lParam)
{
    auto *lookup = (Lookup *)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (lookup == nullptr)
        return;
    if (lookup->wait == nullptr) {
        EndLookup(window);
        return;
    }
    lookup->wait->done = true;
    lookup->wait->error = WSAGETASYNCERROR(lParam);
}

static LRESULT CALLBACK NotifierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Wait *wait = net.current;
    if (message == WM_NET_SOCKET) {
        // Events are hints: the waiting call retries its operation after any of them.
        if (wait != nullptr && wait->task == nullptr && (SOCKET)wParam == wait->socket &&
            (WSAGETSELECTEVENT(lParam) & wait->events) != 0) {
            wait->done = true;
            wait->error = WSAGETSELECTERROR(lParam);
        }
        return 0;
    }
    if (message == WM_NET_LOOKUP) {
        LookupArrived(window, lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CreateNotifier(void)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = NotifierProc;
    wc.hInstance = instance;
    wc.lpszClassName = kNotifierClass;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    return CreateWindowExA(0, kNotifierClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           instance, nullptr);
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

// Dispatches messages until the wait's event arrives, or the wait is cancelled or abandoned.
static int RunWait(Wait *wait)
{
    wait->outer = net.current;
    net.current = wait;
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
    net.current = wait->outer;
    if (wait->abandoned) {
        net.quietFailure = true;
        WSASetLastError(WSAEINTR);
        return SOCKET_ERROR;
    }
    if (!wait->done) {
        WSASetLastError(WSAEINTR);
        return SOCKET_ERROR;
    }
    return 0;
}

static int WaitForSocket(SOCKET s, long events)
{
    Wait wait = {};
    wait.socket = s;
    wait.events = events;
    return RunWait(&wait);
}

static void Record(SOCKET s)
{
    net.open[net.openCount++] = s;
}

static void Forget(SOCKET s)
{
    for (int i = 0; i < net.openCount; i++) {
        if (net.open[i] == s) {
            net.open[i] = net.open[--net.openCount];
            return;
        }
    }
}

// Stale events of a closed socket would arrive tagged with the next socket that gets
// the same handle value: stop them and drop those already queued.
static void DropEvents(SOCKET s)
{
    WSAAsyncSelect(s, net.notifier, 0, 0);
    MSG queued[64];
    int kept = 0;
    MSG msg;
    while (PeekMessageA(&msg, net.notifier, WM_NET_SOCKET, WM_NET_SOCKET, PM_REMOVE)) {
        if ((SOCKET)msg.wParam != s && kept < 64)
            queued[kept++] = msg;
    }
    for (int i = 0; i < kept; i++)
        PostMessageA(net.notifier, queued[i].message, queued[i].wParam, queued[i].lParam);
}

static void CloseAll(void)
{
    while (net.openCount > 0)
        NetClose(net.open[net.openCount - 1]);
}

int NetStartup(void)
{
    WSADATA data;
    int result = WSAStartup(0x0101, &data);
    if (result != 0)
        return result;
    if (net.notifier == nullptr)
        net.notifier = CreateNotifier();
    return 0;
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
        if (wait->task != nullptr)
            WSACancelAsyncRequest(wait->task);
    }
    CloseAll();
}

int NetRestart(void)
{
    NetAbandon();
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

void NetReset(void)
{
    NetRestart();
}

bool NetTakeQuietFailure(void)
{
    bool quiet = net.quietFailure;
    net.quietFailure = false;
    return quiet;
}

int NetCancelWait(void)
{
    if (!CallPending()) {
        WSASetLastError(WSAEINVAL);
        return SOCKET_ERROR;
    }
    net.current->cancelled = true;
    if (net.current->task != nullptr)
        WSACancelAsyncRequest(net.current->task);
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
    SOCKET s = socket(family, type, protocol);
    if (s == INVALID_SOCKET)
        return INVALID_SOCKET;
    if (WSAAsyncSelect(s, net.notifier, WM_NET_SOCKET,
                       FD_READ | FD_WRITE | FD_CONNECT | FD_ACCEPT | FD_CLOSE) != 0) {
        int error = WSAGetLastError();
        closesocket(s);
        WSASetLastError(error);
        return INVALID_SOCKET;
    }
    Record(s);
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
    Forget(s);
    DropEvents(s);
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
    Wait wait = {};
    wait.socket = s;
    wait.events = FD_CONNECT;
    if (RunWait(&wait) != 0)
        return SOCKET_ERROR;
    if (wait.error != 0) {
        WSASetLastError(wait.error);
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
        if (WSAGetLastError() != WSAEWOULDBLOCK || WaitForSocket(s, FD_WRITE | FD_CLOSE) != 0)
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
        if (WSAGetLastError() != WSAEWOULDBLOCK || WaitForSocket(s, FD_READ | FD_CLOSE) != 0)
            return SOCKET_ERROR;
    }
}

SOCKET NetAccept(SOCKET listener)
{
    if (RefuseNested())
        return INVALID_SOCKET;
    if (net.openCount == kMaxSockets) {
        WSASetLastError(WSAEMFILE);
        return INVALID_SOCKET;
    }
    for (;;) {
        struct sockaddr_in peer;
        int size = sizeof peer;
        SOCKET s = accept(listener, (struct sockaddr *)&peer, &size);
        if (s != INVALID_SOCKET) {
            Record(s);  // it inherits the listener's event registration
            return s;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK || WaitForSocket(listener, FD_ACCEPT) != 0)
            return INVALID_SOCKET;
    }
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

static struct hostent *RunLookup(StartLookup start, const void *key, char *buffer)
{
    if (RefuseNested())
        return nullptr;
    auto *lookup = (Lookup *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Lookup));
    HWND window = lookup != nullptr ? CreateNotifier() : nullptr;
    if (window == nullptr) {
        HeapFree(GetProcessHeap(), 0, lookup);
        WSASetLastError(WSAENOBUFS);
        return nullptr;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)lookup);
    Wait wait = {};
    wait.task = start(window, key, lookup->answer);
    if (wait.task == nullptr) {
        int error = WSAGetLastError();
        EndLookup(window);
        WSASetLastError(error);
        return nullptr;
    }
    lookup->wait = &wait;
    int result = RunWait(&wait);
    if (!wait.done) {
        lookup->wait = nullptr;  // the answer frees its block when it comes
        return nullptr;
    }
    int error = result != 0 ? WSAGetLastError() : wait.error;
    struct hostent *entry = error == 0 ? CopyHostEntry(lookup->answer, buffer) : nullptr;
    EndLookup(window);
    WSASetLastError(error);
    return entry;
}

static HANDLE StartByName(HWND window, const void *name, char *answer)
{
    return WSAAsyncGetHostByName(window, WM_NET_LOOKUP, (const char *)name, answer,
                                 MAXGETHOSTSTRUCT);
}

static HANDLE StartByAddr(HWND window, const void *address, char *answer)
{
    return WSAAsyncGetHostByAddr(window, WM_NET_LOOKUP, (const char *)address, 4, AF_INET,
                                 answer, MAXGETHOSTSTRUCT);
}

struct hostent *NetGetHostByName(const char *name, char *buffer)
{
    return RunLookup(StartByName, name, buffer);
}

struct hostent *NetGetHostByAddr(const struct in_addr *address, char *buffer)
{
    return RunLookup(StartByAddr, address, buffer);
}

int NetOpenSocketCount(void)
{
    return net.openCount;
}
