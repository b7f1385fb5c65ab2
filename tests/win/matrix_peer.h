// Shared by the misbehaving-server matrices.
#ifndef OVRA_TEST_MATRIX_PEER_H
#define OVRA_TEST_MATRIX_PEER_H

#include "peer.h"

// Long enough for every step before the one that stalls, even on a busy machine.
enum { kShortWatchdog = 1500 };

const char kInterrupted[] = "[10004] Interrupted system call";
const char kResetByPeer[] = "[10054] Connection reset by peer";

// Waits until the client closes its end. A reset counts as closing: a client that closes
// with bytes still unread sends one.
inline bool ClientWentAway(PeerConnection &connection)
{
    return connection.WaitForClose() || WSAGetLastError() == WSAECONNRESET ||
           WSAGetLastError() == WSAECONNABORTED;
}

#endif
