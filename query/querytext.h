// Query texts taken apart, and the request lines and window titles made from them.
// Platform-free. The splitters work in place and may cut up the text they are given.
#ifndef OVRA_QUERYTEXT_H
#define OVRA_QUERYTEXT_H

#include <stddef.h>

enum {
    kQuerySize = 128,   // a query text and its terminator
    kRequestSize = 140, // "GET /" + a 127-character path + CR LF + terminator, with room
    kTitleSize = 288,   // application title, query parts and decoration, held whole
};

// "user@host", "host@" or "user" (the user's own host). A query with no name in it asks
// the local host for its list of users: *user is then "" and *host "localhost".
void SplitFingerQuery(char *query, const char **user, const char **host);

// Removes a leading "http:" scheme (letter case ignored) and the two slashes after it.
// Nothing else is recognised; "http:" and "http:/" alone become empty.
void StripHttpPrefix(char *text);

// "host/path": the host is the first run of characters other than "/", the path all that
// follows its slash. A text with no such run is the host as it stands, with an empty path.
void SplitWebQuery(char *query, const char **host, const char **path);

void FormatFingerRequest(char *request, size_t size, const char *user);
void FormatWebRequest(char *request, size_t size, const char *path);
void FormatFingerTitle(char *title, size_t size, const char *appTitle, const char *user,
                       const char *host);
void FormatWebTitle(char *title, size_t size, const char *appTitle, const char *host,
                    const char *path);

#endif
