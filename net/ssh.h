// An SSH session with SFTP over a socket of the wait layer (net/netio.h), through libssh2:
// every step runs libssh2 without blocking and waits for its socket in the message loop,
// so the window stays alive and the watchdog can cut a step off.
//
// Every call returns 0, or -1 once the exchange has ended with its box (the link is then
// dropped: libssh2 freed, no further traffic).
#ifndef OVRA_SSH_H
#define OVRA_SSH_H

#include <winsock.h>

#include "net/sshwire.h"
#include "settings/logininfo.h"

typedef struct _LIBSSH2_SESSION LIBSSH2_SESSION;
typedef struct _LIBSSH2_SFTP LIBSSH2_SFTP;

enum { kSshCaptureSize = 8192, kHostKeyTypeSize = 48 };

struct SshLink {
    SOCKET socket;
    LIBSSH2_SESSION *session;
    LIBSSH2_SFTP *sftp;
    bool dropped;      // no more traffic: every send and receive fails at once
    int socketError;   // the Winsock error of the last send or receive that failed
    size_t captured;   // the server's first bytes, which name the algorithms it offers
    char capture[kSshCaptureSize];
};

// The session on a connected socket, up to the end of the key exchange. A server that
// shares no algorithm with Ovra gets a box that names what it offers.
int SshStart(SshLink *link, SOCKET s);
// The server's host key: its type ("ecdsa-sha2-nistp256") and SHA-256 fingerprint.
void SshHostKey(SshLink *link, char type[kHostKeyTypeSize], char fingerprint[kFingerprintTextSize]);
// With the key file of login when it names one, else with the password.
int SshLogin(SshLink *link, const LoginInfo *login);
// Writes text as the whole file path (relative to the login folder): opened with
// truncation, written, closed.
int SshWriteFile(SshLink *link, const char *path, const char *text, int length);
// Ends the session in good order and closes the socket.
int SshFinish(SshLink *link);
// Frees the session with no more traffic (before a box, or when the user declined);
// the socket stays open for the caller's report or close.
void SshDrop(SshLink *link);

#endif
