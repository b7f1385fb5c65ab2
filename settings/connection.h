// The switches of Settings > Connection: keys of the "Settings" section holding "true" or
// "false", off unless set. With all of them off every exchange runs as it always has.
#ifndef OVRA_CONNECTION_H
#define OVRA_CONNECTION_H

#define SECURE_FTP_KEY   "SecureFtp"    // postings log in and store over TLS
#define PASSIVE_MODE_KEY "PassiveMode"  // postings open their data connections with PASV
#define WEB_HTTP10_KEY   "WebHttp10"    // web queries are HTTP/1.0 requests with headers

// Pinned server certificates: one key per FTP host, its SHA-256 fingerprint as the value.
#define CERTIFICATES_SECTION "Certificates"

// Whether a switch is on: its value is "true", letter case ignored.
bool ReadConnectionFlag(const char *key);

#endif
