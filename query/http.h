// Web queries in the form today's web servers answer: an HTTP/1.0 request with its headers,
// and the part of the answer the pane shows. Platform-free.
#ifndef OVRA_HTTP_H
#define OVRA_HTTP_H

#include <stddef.h>

enum {
    kUrlSize = 512,          // an address followed to, and its terminator
    kHttpRequestSize = 640,  // request line, Host and User-Agent for such an address's parts
    kMaxRedirects = 5,       // redirects followed for one query
};

// "GET /path HTTP/1.0", "Host: host" (with ":port" unless the port is defaultPort),
// "User-Agent: agent" and the blank line that ends the headers, each line ending in CR LF.
// Cut to fit size.
void FormatHttpRequest(const char *host, const char *path, unsigned port, const char *agent,
                       char *out, size_t size, unsigned defaultPort = 80);

// The status code of an answer that starts "HTTP/x.y NNN", or -1.
int HttpStatusCode(const char *answer, size_t length);

// What the pane shows of an answer, moved to the start of answer (never longer): the body
// alone for a 2xx status; otherwise the status line, for a 3xx the Location line, the blank
// line and the body, so "404 Not Found" or where a page moved to is visible. An answer that
// does not start with a status line, or whose headers do not end, is left whole. Returns
// the new length.
size_t HttpAnswerForPane(char *answer, size_t length);

// Whether answer is a redirect a query follows: status 301, 302, 303, 307 or 308 with a
// Location header, whose value (blanks around it trimmed) goes to location. False for any
// other answer, and for a value with control characters or blanks in it or too long for size.
bool HttpRedirectTarget(const char *answer, size_t length, char *location, size_t size);

// location resolved against base, an absolute "http://" or "https://" address, into out:
// an absolute http or https address as it stands, "//host/path" with base's scheme,
// "/path" with base's scheme and host, "?query" on base's path, anything else in place of
// base's last path segment, with "." and ".." segments taken out. A fragment is dropped.
// False for another scheme, or when the result does not fit size.
bool ResolveLocation(const char *base, const char *location, char *out, size_t size);

#endif
