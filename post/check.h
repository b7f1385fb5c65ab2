// What a finger daemon shows of the line just posted. Platform-free.
#ifndef OVRA_CHECK_H
#define OVRA_CHECK_H

#include <stddef.h>

enum SeenVerdict {
    kSeenAsPosted,
    kSeenNoProject,       // no "Project:" at all: the daemon could not read the file
    kSeenCarriageReturn,  // the line, then "^M": the server stored the CR LF as sent
    kSeenEmpty,           // a Project with nothing in it
    kSeenOther,           // some other line
    kSeenNotShown,        // neither "Project:" nor finger's "Login:": a daemon that shows
                          // something of its own, and perhaps never the file
};

// answer is the daemon's whole reply (length bytes); posted is the status line as stored,
// its line end included. Finger programs put the file's first line after "Project:" on the
// same line or on the next one.
SeenVerdict JudgeFingerAnswer(const char *answer, size_t length, const char *posted);

enum WebVerdict {
    kWebAsPosted,
    kWebForbidden,  // 403: the web server may not read the file
    kWebNotFound,   // 404: no file where the address points
    kWebStatus,     // some other status than 2xx
    kWebOther,      // a page that is not the line alone
};

// answer is the web server's whole answer to an HTTP/1.0 request (length bytes), which is
// cut down in place to its body; posted as for JudgeFingerAnswer. The page is the line,
// with or without its line end.
WebVerdict JudgeWebAnswer(char *answer, size_t length, const char *posted);

#endif
