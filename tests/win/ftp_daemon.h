// The real FTP daemons of tests/servers (proftpd on 127.0.0.2, port 2121, user "ovra" with
// password "secret", and the others named by their directory: "ftps", "ftps-unknown",
// "vsftpd", "nat"), seen from inside the Wine prefix: their home directories and command
// logs are read through the Z: drive.
#ifndef OVRA_TEST_FTP_DAEMON_H
#define OVRA_TEST_FTP_DAEMON_H

#include <winsock.h>
#include <wincrypt.h>

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app.h"
#include "peer.h"
#include "process.h"
#include "settings/scramble.h"

namespace daemon_ftp {

const char kAddress[] = "127.0.0.2";
const char kUser[] = "ovra";
const char kPassword[] = "secret";

// Status lines as the daemon stores them: it runs in ASCII mode and may store LF for CR LF.
const char kTimePattern[] =
    "(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
    "[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4} ";

inline std::string OnPattern(const std::string &zone, const std::string &address = "127\\.0\\.0\\.1")
{
    return "OVRA ON ([^ \r\n]+ )?" + address + " " + kTimePattern + zone + "\r?\n";
}

inline std::string OffPattern(const std::string &zone)
{
    return std::string("OVRA OFF ") + kTimePattern + zone + "\r?\n";
}

inline std::string Backslashed(std::string path)
{
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// A daemon's directory ($OVRA_TEST_TMP/ftp); empty when the scratch directory is unknown.
inline std::string Directory(const std::string &daemon = "ftp")
{
    const char *tmp = getenv("OVRA_TEST_TMP");
    return tmp == nullptr ? std::string() : WindowsPath(tmp) + "\\" + daemon;
}

inline std::string HomePath(const std::string &name, const std::string &daemon = "ftp")
{
    return Backslashed(Directory(daemon) + "\\home\\" + name);
}

inline std::string ReadWhole(const std::string &path, const char *missing = "<missing>")
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return missing;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string Stored(const std::string &name, const std::string &daemon = "ftp")
{
    return ReadWhole(HomePath(name, daemon));
}

inline void RemoveStored(const std::string &name, const std::string &daemon = "ftp")
{
    DeleteFileA(HomePath(name, daemon).c_str());
}

// The "Login" section of ovra.ini, password stored scrambled as the program keeps it.
inline void WriteLogin(const char *host, const char *user, const char *password)
{
    char stored[128];
    ScramblePassword(password, stored, sizeof stored);
    WriteIni("Login", "Host", host);
    WriteIni("Login", "User", user);
    WriteIni("Login", "Password", stored);
}

const char kNotRunning[] = "the FTP daemon (tests/servers/ftp.sh start, with OVRA_TEST_TMP "
                           "set) does not answer on 127.0.0.2:2121";

// Whether a daemon answers on its address (needs the socket library started).
inline bool Reachable(const char *address = kAddress)
{
    if (Directory().empty())
        return false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    struct sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(kFtpPort);
    a.sin_addr.s_addr = inet_addr(address);
    bool ok = connect(s, (struct sockaddr *)&a, sizeof a) == 0;
    closesocket(s);
    return ok;
}

// The prefix trusts the authority of the TLS daemons' certificates (tests/servers/
// certs.bash), as a user's does once their organisation's authority is installed.
inline bool TrustTestAuthority()
{
    std::string der = ReadWhole(Directory("certs") + "\\ca.der", "");
    HCERTSTORE root = CertOpenSystemStoreA(0, "Root");
    bool added = !der.empty() && root != nullptr &&
                 CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, (const BYTE *)der.data(),
                                                  (DWORD)der.size(), CERT_STORE_ADD_REPLACE_EXISTING,
                                                  nullptr);
    if (root != nullptr)
        CertCloseStore(root, 0);
    return added;
}

}  // namespace daemon_ftp

#endif
