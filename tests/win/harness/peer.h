// Scripted peers: a server thread on a loopback address that plays a script written as a
// lambda, and records every line the client sent.
#ifndef OVRA_TEST_PEER_H
#define OVRA_TEST_PEER_H

#include <winsock.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Ports the test prefix's services file gives the three services.
enum : unsigned short { kFtpPort = 2121, kFingerPort = 7979, kHttpPort = 8080 };

class PeerConnection {
public:
    explicit PeerConnection(SOCKET s, std::vector<std::string> *transcript, std::mutex *lock);
    ~PeerConnection();
    PeerConnection(PeerConnection &&other) noexcept;
    bool Send(const std::string &bytes);
    // Sends one byte at a time, each in its own segment.
    bool SendSplit(const std::string &bytes);
    // One line without its CR LF, recorded in the transcript; empty string and false at
    // the end of the stream or after 30 s of silence.
    bool ReadLine(std::string *line);
    std::string ReadLine();
    // Everything until the client closes.
    std::string ReadAll();
    // True when the client closed its end (waits up to 30 s).
    bool WaitForClose();
    void Close();
    // Abortive close: the client sees a reset.
    void Reset();
    bool valid() const { return s_ != INVALID_SOCKET; }

private:
    SOCKET s_;
    std::string pending_;
    std::vector<std::string> *transcript_;
    std::mutex *lock_;
};

class ScriptedPeer {
public:
    // Listens on address:port at once, so the client may connect before Start.
    ScriptedPeer(const char *address, unsigned short port);
    ~ScriptedPeer();
    void Start(std::function<void(ScriptedPeer &)> script);
    // Waits for the script to end (up to 90 s); false if it did not.
    bool Join();
    PeerConnection Accept();
    // Whether a client waits to be accepted (no waiting).
    bool HasCaller();
    // For the FTP data channel: connects to the address and port that a PORT line names,
    // from the peer's own address as a server does, or from another one (a third party).
    PeerConnection ConnectToPort(const std::string &portLine, const char *from = nullptr);
    std::vector<std::string> Transcript();
    bool listening() const { return listener_ != INVALID_SOCKET; }

private:
    SOCKET listener_;
    std::string address_;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::vector<std::string> transcript_;
    std::mutex lock_;
};

#endif
