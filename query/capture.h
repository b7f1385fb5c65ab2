// Reading a query's whole answer and showing it in the pane under the query's title.
#ifndef OVRA_CAPTURE_H
#define OVRA_CAPTURE_H

#include <winsock.h>

#include "query/querytext.h"

enum { kAnswerSize = 16384 };  // bytes of an answer that are read; the rest never is

// The request has been sent on s; busy mode is on and the watchdog armed. Reads until
// the server closes (or the block is full), closes s, leaves busy mode and shows the
// answer (of an HTTP/1.0 answer, what HttpAnswerForPane keeps). 0 when shown; -1 after the
// failure has been reported.
// A wait the watchdog cut short is reported with the line of string silenceHint, if any.
int CaptureResponse(SOCKET s, const char *title, bool http10 = false, UINT silenceHint = 0);

// A whole query: busy mode, the query text made into host, request line and title by make
// (which may cut up query), the watchdog, the connection to service, the request (for
// http10, the HTTP/1.0 request with its headers instead of the request line) and the
// capture. A request for https goes over TLS to the https service, one with a port to
// that port. 0 when the answer is shown; -1 after the failure has been reported.
int RunQuery(char *query, const char *service,
             void (*make)(char *query, const char *appTitle, QueryRequest *request),
             bool http10 = false, UINT silenceHint = 0);

// A web query with the HTTP/1.0 request for an address with its scheme and port, following
// redirects, each with a request of its own, to the answer shown. When that came from
// elsewhere than the query asked, a line at the top of the pane names where.
int RunFollowingWebQuery(char *query);

// The answer to a request sent on s, read until the server closes (at most kAnswerSize
// bytes) and s closed, without showing it: its length, or -1 after the failure has been
// reported.
int ReadQueryAnswer(SOCKET s, char *answer);

// The answer of the web server at address (scheme, host, port, path as a web query takes
// them) to an HTTP/1.0 request, read into answer (kAnswerSize bytes) without following
// redirects and without showing it: its length, or -1 after the failure has been reported.
// The exchange has begun.
int FetchWebAnswer(const char *address, char *answer);

#endif
