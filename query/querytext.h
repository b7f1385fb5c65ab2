// Query texts taken apart, and the request lines and window titles made from them.
// Platform-free. The splitters work in place and may cut up the text they are given.
#ifndef OVRA_QUERYTEXT_H
#define OVRA_QUERYTEXT_H

#include <stddef.h>

enum {
    kQuerySize = 128,       // a query text and its terminator
    kRequestSize = 140,     // "GET /" + a 127-character path + CR LF + terminator, with room
    kQueryTitleSize = 288,  // application title, query parts and decoration, held whole
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

// What a query sends and shows: the host to ask, the request line and the window title
// (appTitle followed by the query's parts, held whole).
struct QueryRequest {
    const char *host;  // points into the query text or at a constant
    const char *path;  // a web query's path, without its first slash; "" for finger
    char line[kRequestSize];
    char title[kQueryTitleSize];
};

// "user CR LF" for the finger service; title "appTitle - [user@host]".
void MakeFingerRequest(char *query, const char *appTitle, QueryRequest *request);
// "GET /path CR LF" for the http service; title "appTitle - [http://host/path]".
void MakeWebRequest(char *query, const char *appTitle, QueryRequest *request);

#endif
