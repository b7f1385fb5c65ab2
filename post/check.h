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
};

// answer is the daemon's whole reply (length bytes); posted is the status line as stored,
// its line end included. Finger programs put the file's first line after "Project:" on the
// same line or on the next one.
SeenVerdict JudgeFingerAnswer(const char *answer, size_t length, const char *posted);

#endif
