// What others see right after a posting: the posted user fingered at the FTP host.
#ifndef OVRA_SEEN_H
#define OVRA_SEEN_H

// Compares what the finger server shows with posted (the line as stored) and says in a box
// what differs and the likely cause; silent when the line is shown as posted. A wait that
// fails is reported as every exchange's is.
void CheckWhatOthersSee(const char *user, const char *host, const char *posted);

// The same for the web page at address: a 403 or 404, another status, or a page that is not
// the line gets a box; silent when the page is the line.
void CheckWhatTheWebShows(const char *address, const char *posted);

#endif
