#include "query/querytext.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "app/words.h"

void SplitFingerQuery(char *query, const char **user, const char **host)
{
    char *cursor = query;
    *user = "";
    *host = "localhost";
    if (strchr(query, '@') == nullptr) {
        // Without "@" a blank ends the user name.
        char *name = NextWord(&cursor, " ");
        if (name != nullptr)
            *user = name;
        return;
    }
    char *first = NextWord(&cursor, "@");
    char *second = NextWord(&cursor, "@");
    if (second != nullptr) {
        *user = first;
        *host = second;
    } else if (first != nullptr) {
        *host = first;
    }
}

// Whether run (length characters) is scheme, letter case ignored.
static bool IsScheme(const char *run, size_t length, const char *scheme)
{
    if (length != strlen(scheme))
        return false;
    for (size_t i = 0; i < length; i++) {
        if (tolower((unsigned char)run[i]) != scheme[i])
            return false;
    }
    return true;
}

static bool IsHttpScheme(const char *run, size_t length)
{
    return IsScheme(run, length, "http:");
}

void StripHttpPrefix(char *text)
{
    char *run = text + strspn(text, "/");
    size_t length = strcspn(run, "/");
    if (!IsHttpScheme(run, length))
        return;
    // Past the slash that ends "http:", then past the second slash.
    const char *rest = run + length;
    for (int skip = 0; skip < 2 && *rest != '\0'; skip++)
        rest++;
    memmove(text, rest, strlen(rest) + 1);
}

void SplitWebQuery(char *query, const char **host, const char **path)
{
    char *cursor = query;
    char *name = NextWord(&cursor, "/");
    *host = name != nullptr ? name : query;
    *path = cursor;
}

// "1" to "65535" alone, or 0.
static unsigned PortNumber(const char *text)
{
    unsigned long port = 0;
    for (const char *p = text; *p != '\0'; p++) {
        if (!isdigit((unsigned char)*p) || (port = port * 10 + (unsigned)(*p - '0')) > 65535)
            return 0;
    }
    return (unsigned)port;
}

void SplitWebAddress(char *text, WebAddress *address)
{
    char *run = text + strspn(text, "/");
    size_t length = strcspn(run, "/");
    address->secure = IsScheme(run, length, "https:");
    if (address->secure || IsHttpScheme(run, length))
        run += length + strspn(run + length, "/");
    char *host = run;
    SplitWebQuery(host, &address->host, &address->path);
    address->port = 0;
    // The port's colon is the last one, past a bracketed host's closing bracket.
    char *colon = strrchr(host, ':');
    const char *bracket = strchr(host, ']');
    if (colon != nullptr && (bracket == nullptr || bracket < colon)) {
        address->port = PortNumber(colon + 1);
        if (address->port != 0)
            *colon = '\0';
    }
}

void FormatWebAddress(const WebAddress *address, char *out, size_t size)
{
    char port[8] = "";
    if (address->port != 0)
        snprintf(port, sizeof port, ":%u", address->port);
    snprintf(out, size, "%s://%s%s/%s", address->secure ? "https" : "http", address->host, port,
             address->path);
}

void MakeFingerRequest(char *query, const char *appTitle, QueryRequest *request)
{
    const char *user;
    SplitFingerQuery(query, &user, &request->host);
    request->path = "";
    request->secure = false;
    request->port = 0;
    snprintf(request->line, sizeof request->line, "%s\r\n", user);
    snprintf(request->title, sizeof request->title, "%s - [%s@%s]", appTitle, user, request->host);
}

void MakeWebRequest(char *query, const char *appTitle, QueryRequest *request)
{
    const char *path;
    SplitWebQuery(query, &request->host, &path);
    request->path = path;
    request->secure = false;
    request->port = 0;
    snprintf(request->line, sizeof request->line, "GET /%s\r\n", path);
    snprintf(request->title, sizeof request->title, "%s - [%s://%s/%s]", appTitle, "http",
             request->host, path);
}

void MakeWebAddressRequest(char *query, const char *appTitle, QueryRequest *request)
{
    WebAddress address;
    SplitWebAddress(query, &address);
    request->host = address.host;
    request->path = address.path;
    request->secure = address.secure;
    request->port = address.port;
    snprintf(request->line, sizeof request->line, "GET /%s\r\n", address.path);
    char url[kQuerySize + 32];  // the query's parts with "https://", ":65535" and a slash
    FormatWebAddress(&address, url, sizeof url);
    snprintf(request->title, sizeof request->title, "%s - [%s]", appTitle, url);
}
