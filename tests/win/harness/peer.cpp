#include "peer.h"

#include <stdio.h>

#include <chrono>

enum { kPeerTimeoutMs = 30000 };

static void SetTimeouts(SOCKET s)
{
    DWORD ms = kPeerTimeoutMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, (const char *)&ms, sizeof ms);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, (const char *)&ms, sizeof ms);
}

PeerConnection::PeerConnection(SOCKET s, std::vector<std::string> *transcript, std::mutex *lock)
    : s_(s), transcript_(transcript), lock_(lock)
{
    if (s_ != INVALID_SOCKET)
        SetTimeouts(s_);
}

PeerConnection::PeerConnection(PeerConnection &&other) noexcept
    : s_(other.s_), pending_(std::move(other.pending_)), transcript_(other.transcript_),
      lock_(other.lock_)
{
    other.s_ = INVALID_SOCKET;
}

PeerConnection::~PeerConnection()
{
    Close();
}

bool PeerConnection::Send(const std::string &bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        int n = send(s_, bytes.data() + sent, (int)(bytes.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += (size_t)n;
    }
    return true;
}

bool PeerConnection::SendSplit(const std::string &bytes)
{
    BOOL noDelay = TRUE;
    setsockopt(s_, IPPROTO_TCP, TCP_NODELAY, (const char *)&noDelay, sizeof noDelay);
    for (char c : bytes) {
        if (send(s_, &c, 1, 0) != 1)
            return false;
        Sleep(2);  // lets each byte leave as its own segment
    }
    return true;
}

bool PeerConnection::ReadLine(std::string *line)
{
    for (;;) {
        size_t end = pending_.find("\r\n");
        if (end != std::string::npos) {
            *line = pending_.substr(0, end);
            pending_.erase(0, end + 2);
            std::lock_guard<std::mutex> guard(*lock_);
            transcript_->push_back(*line);
            return true;
        }
        char buffer[4096];
        int n = recv(s_, buffer, sizeof buffer, 0);
        if (n <= 0) {
            line->clear();
            return false;
        }
        pending_.append(buffer, (size_t)n);
    }
}

std::string PeerConnection::ReadLine()
{
    std::string line;
    ReadLine(&line);
    return line;
}

std::string PeerConnection::ReadAll()
{
    std::string all;
    all.swap(pending_);
    char buffer[4096];
    int n;
    while ((n = recv(s_, buffer, sizeof buffer, 0)) > 0)
        all.append(buffer, (size_t)n);
    return all;
}

bool PeerConnection::WaitForClose()
{
    char buffer[4096];
    int n;
    while ((n = recv(s_, buffer, sizeof buffer, 0)) > 0) {
    }
    return n == 0;
}

void PeerConnection::Close()
{
    if (s_ != INVALID_SOCKET)
        closesocket(s_);
    s_ = INVALID_SOCKET;
}

void PeerConnection::Reset()
{
    struct linger hard = {1, 0};
    setsockopt(s_, SOL_SOCKET, SO_LINGER, (const char *)&hard, sizeof hard);
    Close();
}

ScriptedPeer::ScriptedPeer(const char *address, unsigned short port) : address_(address)
{
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL reuse = TRUE;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, (const char *)&reuse, sizeof reuse);
    struct sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(address);
    if (bind(listener_, (struct sockaddr *)&a, sizeof a) != 0 || listen(listener_, 5) != 0) {
        fprintf(stderr, "peer: cannot listen on %s:%u (%d)\n", address, port, WSAGetLastError());
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
    }
}

ScriptedPeer::~ScriptedPeer()
{
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    if (thread_.joinable())
        thread_.join();
}

void ScriptedPeer::Start(std::function<void(ScriptedPeer &)> script)
{
    thread_ = std::thread([this, script] {
        script(*this);
        done_ = true;
    });
}

bool ScriptedPeer::Join()
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (!done_ && std::chrono::steady_clock::now() < until)
        Sleep(10);
    if (!done_)
        return false;
    thread_.join();
    return true;
}

PeerConnection ScriptedPeer::Accept()
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(listener_, &set);
    struct timeval wait = {kPeerTimeoutMs / 1000, 0};
    if (select(0, &set, nullptr, nullptr, &wait) != 1)
        return PeerConnection(INVALID_SOCKET, &transcript_, &lock_);
    return PeerConnection(accept(listener_, nullptr, nullptr), &transcript_, &lock_);
}

bool ScriptedPeer::HasCaller()
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(listener_, &set);
    struct timeval none = {0, 0};
    return select(0, &set, nullptr, nullptr, &none) == 1;
}

PeerConnection ScriptedPeer::ConnectToPort(const std::string &portLine, const char *from)
{
    unsigned h1, h2, h3, h4, p1, p2;
    SOCKET s = INVALID_SOCKET;
    if (sscanf(portLine.c_str(), "PORT %u,%u,%u,%u,%u,%u", &h1, &h2, &h3, &h4, &p1, &p2) == 6) {
        struct sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons((u_short)(p1 * 256 + p2));
        a.sin_addr.s_addr = htonl((h1 << 24) | (h2 << 16) | (h3 << 8) | h4);
        struct sockaddr_in source = {};
        source.sin_family = AF_INET;
        source.sin_addr.s_addr = inet_addr(from != nullptr ? from : address_.c_str());
        s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (bind(s, (struct sockaddr *)&source, sizeof source) != 0 ||
            connect(s, (struct sockaddr *)&a, sizeof a) != 0) {
            closesocket(s);
            s = INVALID_SOCKET;
        }
    }
    return PeerConnection(s, &transcript_, &lock_);
}

std::vector<std::string> ScriptedPeer::Transcript()
{
    std::lock_guard<std::mutex> guard(lock_);
    return transcript_;
}
