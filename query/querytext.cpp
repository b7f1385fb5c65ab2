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

static bool IsHttpScheme(const char *run, size_t length)
{
    static const char scheme[] = "http:";
    if (length != sizeof scheme - 1)
        return false;
    for (size_t i = 0; i < length; i++) {
        if (tolower((unsigned char)run[i]) != scheme[i])
            return false;
    }
    return true;
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

void MakeFingerRequest(char *query, const char *appTitle, QueryRequest *request)
{
    const char *user;
    SplitFingerQuery(query, &user, &request->host);
    request->path = "";
    snprintf(request->line, sizeof request->line, "%s\r\n", user);
    snprintf(request->title, sizeof request->title, "%s - [%s@%s]", appTitle, user, request->host);
}

void MakeWebRequest(char *query, const char *appTitle, QueryRequest *request)
{
    const char *path;
    SplitWebQuery(query, &request->host, &path);
    request->path = path;
    snprintf(request->line, sizeof request->line, "GET /%s\r\n", path);
    snprintf(request->title, sizeof request->title, "%s - [%s://%s/%s]", appTitle, "http",
             request->host, path);
}
