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

// A web address taken apart: "[http://|https://]host[:port][/path]", the scheme's letters in
// any case, leading slashes passed over as the simple form does. A bracketed IPv6 host keeps
// its brackets; a port that is no number 1-65535 stays part of the host.
struct WebAddress {
    bool secure;       // https
    const char *host;  // points into the text split
    unsigned port;     // 0: the scheme's own
    const char *path;  // without its first slash
};
void SplitWebAddress(char *text, WebAddress *address);
// "scheme://host[:port]/path", the port only when one was given. Cut to fit size.
void FormatWebAddress(const WebAddress *address, char *out, size_t size);

// What a query sends and shows: the host to ask, the request line and the window title
// (appTitle followed by the query's parts, held whole).
struct QueryRequest {
    const char *host;  // points into the query text or at a constant
    const char *path;  // a web query's path, without its first slash; "" for finger
    bool secure;       // over TLS (https)
    unsigned port;     // 0: the service's own
    char line[kRequestSize];
    char title[kQueryTitleSize];
};

// "user CR LF" for the finger service; title "appTitle - [user@host]".
void MakeFingerRequest(char *query, const char *appTitle, QueryRequest *request);
// "GET /path CR LF" for the http service; title "appTitle - [http://host/path]".
void MakeWebRequest(char *query, const char *appTitle, QueryRequest *request);
// The same for an address with its scheme and port (SplitWebAddress); title
// "appTitle - [scheme://host[:port]/path]". The request line is the simple one; with this
// form the HTTP/1.0 request is sent instead.
void MakeWebAddressRequest(char *query, const char *appTitle, QueryRequest *request);

#endif
