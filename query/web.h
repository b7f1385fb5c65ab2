// The web query: an HTTP/0.9 simple request ("GET /path") to a host's http service, or
// with Settings > Connection's switch on, an HTTP/1.0 request with Host and User-Agent.
#ifndef OVRA_WEB_H
#define OVRA_WEB_H

// 0 when the answer is shown, -1 after the failure has been reported. Cuts up query.
int RunWebQuery(char *query);

#endif
