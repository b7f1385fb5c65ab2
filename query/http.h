// Web queries in the form today's web servers answer: an HTTP/1.0 request with its headers,
// and the part of the answer the pane shows. Platform-free.
#ifndef OVRA_HTTP_H
#define OVRA_HTTP_H

#include <stddef.h>

enum { kHttpRequestSize = 400 };  // request line, Host and User-Agent for 127-character parts

// "GET /path HTTP/1.0", "Host: host" (with ":port" unless the port is 80), "User-Agent:
// agent" and the blank line that ends the headers, each line ending in CR LF. Cut to fit size.
void FormatHttpRequest(const char *host, const char *path, unsigned port, const char *agent,
                       char *out, size_t size);

// What the pane shows of an answer, moved to the start of answer (never longer): the body
// alone for a 2xx status; otherwise the status line, for a 3xx the Location line, the blank
// line and the body, so "404 Not Found" or where a page moved to is visible. An answer that
// does not start with a status line, or whose headers do not end, is left whole. Returns
// the new length.
size_t HttpAnswerForPane(char *answer, size_t length);

#endif
