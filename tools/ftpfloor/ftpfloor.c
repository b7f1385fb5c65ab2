/* The floor of the posting benchmark (tools/bench): Ovra's plain active-mode exchange, the
 * same commands byte for byte, made with plain blocking Winsock calls and nothing else (no
 * window, no messages, no look-up), built with the compiler and flags of ovra.exe. What it
 * takes under Wine is what Wine's socket layer costs; what Ovra takes beyond it is Ovra's.
 *
 *   ftpfloor HOST PORT USER PASSWORD FILE [FILE2] LINE
 *
 * HOST is an IPv4 address; LINE is sent as each file's content, followed by CR LF. Prints
 * nothing unless a call fails or a reply is not the one expected (exit status 1). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <winsock2.h>

static void Fail(const char *what)
{
    fprintf(stderr, "ftpfloor: %s failed (Winsock error %d)\n", what, WSAGetLastError());
    exit(1);
}

/* Reads until a line "NNN " (the last line of a reply, single or multi-line) has come. */
static void Expect(SOCKET control, const char *wanted, const char *alsoWanted)
{
    static char reply[4096];
    int have = 0;
    const char *line = reply;
    for (;;) {
        int count = recv(control, reply + have, (int)sizeof reply - 1 - have, 0);
        if (count <= 0)
            Fail("recv");
        have += count;
        reply[have] = '\0';
        const char *end;
        while ((end = strstr(line, "\r\n")) != NULL) {
            if (end - line >= 4 && line[3] == ' ')
                goto complete;
            line = end + 2;
        }
        if (have == (int)sizeof reply - 1)
            Fail("reading a reply (too long)");
    }
complete:
    if (strncmp(line, wanted, 3) != 0 && (alsoWanted == NULL || strncmp(line, alsoWanted, 3) != 0)) {
        fprintf(stderr, "ftpfloor: expected %s, got: %s", wanted, line);
        exit(1);
    }
}

static void SendAll(SOCKET s, const char *text)
{
    int length = (int)strlen(text);
    for (int sent = 0; sent < length;) {
        int count = send(s, text + sent, length - sent, 0);
        if (count == SOCKET_ERROR)
            Fail("send");
        sent += count;
    }
}

static void Command(SOCKET control, const char *verb, const char *argument)
{
    char line[1024];
    snprintf(line, sizeof line, "%s %s\r\n", verb, argument);
    SendAll(control, line);
}

/* One file: a listener on the control connection's local address, PORT, STOR, the line. */
static void Store(SOCKET control, const char *name, const char *line)
{
    struct sockaddr_in local;
    int size = sizeof local;
    if (getsockname(control, (struct sockaddr *)&local, &size) != 0)
        Fail("getsockname");
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        Fail("socket");
    local.sin_port = 0;
    if (bind(listener, (struct sockaddr *)&local, sizeof local) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, (struct sockaddr *)&local, &size) != 0)
        Fail("listening");
    unsigned long address = ntohl(local.sin_addr.s_addr);
    unsigned port = ntohs(local.sin_port);
    char argument[64];
    snprintf(argument, sizeof argument, "%lu,%lu,%lu,%lu,%u,%u", (address >> 24) & 0xFF,
             (address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF, port >> 8, port & 0xFF);
    Command(control, "PORT", argument);
    Expect(control, "200", NULL);
    Command(control, "STOR", name);
    Expect(control, "150", "125");
    SOCKET data = accept(listener, NULL, NULL);
    if (data == INVALID_SOCKET)
        Fail("accept");
    closesocket(listener);
    char content[1024];
    snprintf(content, sizeof content, "%s\r\n", line);
    SendAll(data, content);
    if (closesocket(data) != 0)
        Fail("closesocket");
    Expect(control, "226", NULL);
}

int main(int argc, char **argv)
{
    if (argc != 7 && argc != 8) {
        fprintf(stderr, "usage: ftpfloor HOST PORT USER PASSWORD FILE [FILE2] LINE\n");
        return 2;
    }
    WSADATA wsa;
    if (WSAStartup(0x0101, &wsa) != 0)
        return 1;
    struct sockaddr_in server = {0};
    server.sin_family = AF_INET;
    server.sin_addr.s_addr = inet_addr(argv[1]);
    server.sin_port = htons((unsigned short)atoi(argv[2]));
    SOCKET control = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (control == INVALID_SOCKET)
        Fail("socket");
    if (connect(control, (struct sockaddr *)&server, sizeof server) != 0)
        Fail("connect");
    Expect(control, "220", NULL);
    Command(control, "USER", argv[3]);
    Expect(control, "331", NULL);
    Command(control, "PASS", argv[4]);
    Expect(control, "230", NULL);
    for (int file = 5; file < argc - 1; file++)
        Store(control, argv[file], argv[argc - 1]);
    SendAll(control, "QUIT\r\n");
    Expect(control, "221", NULL);
    if (closesocket(control) != 0)
        Fail("closesocket");
    WSACleanup();
    return 0;
}
