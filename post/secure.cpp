#include "post/secure.h"

#include "net/ftp.h"
#include "net/tls.h"
#include "net/trust.h"

static int Exchange(const char *command, int wanted, SOCKET control)
{
    char buffer[kReplySize];
    lstrcpyA(buffer, command);
    if (SendCommand(buffer, sizeof buffer, 0, control) != 0)
        return -1;
    return ExpectReply(wanted, buffer, control);
}

static int SecureStart(SOCKET control, const char *host, bool mayAskUser)
{
    if (TlsStart(control, host) != 0 || TrustServerCertificate(control, host, mayAskUser) != 0)
        return -1;
    return 0;
}

static int ProtectData(SOCKET control)
{
    if (Exchange("PBSZ 0", 200, control) != 0 || Exchange("PROT P", 200, control) != 0)
        return -1;
    return 0;
}

int SecureLogin(SOCKET control, const char *host, bool mayAskUser)
{
    if (Exchange("AUTH TLS", 234, control) != 0 || SecureStart(control, host, mayAskUser) != 0 ||
        ProtectData(control) != 0)
        return -1;
    return 0;
}

int ImplicitSecureStart(SOCKET control, const char *host, bool mayAskUser)
{
    char greeting[kReplySize];
    if (SecureStart(control, host, mayAskUser) != 0 || ExpectReply(220, greeting, control) != 0 ||
        ProtectData(control) != 0)
        return -1;
    return 0;
}
