// SSH texts that need no library: the name lists of the server's first key-exchange offer
// (its KEXINIT, read from the bytes it sent first) and host-key fingerprints in the form
// OpenSSH prints. Platform-free.
#ifndef OVRA_SSHWIRE_H
#define OVRA_SSHWIRE_H

#include <stddef.h>

// The name lists of a KEXINIT, in the order they come.
enum KexList {
    kKexMethods, kHostKeyTypes, kCiphersOut, kCiphersIn, kMacsOut, kMacsIn,
    kCompressionOut, kCompressionIn, kLanguagesOut, kLanguagesIn, kKexListCount
};

struct NameList {
    const char *text;  // points into the bytes parsed; comma-separated names, no terminator
    size_t length;
};

// bytes: what the server sent from its first byte on (lines before and including its
// "SSH-" identification line, then the unencrypted KEXINIT packet). False when they do not
// hold a whole, well-formed KEXINIT.
bool ParseKexInit(const char *bytes, size_t length, NameList lists[kKexListCount]);

// Whether the two comma-separated lists name one algorithm alike.
bool ShareName(const NameList *a, const NameList *b);

enum { kSha256Size = 32, kFingerprintTextSize = 7 + 43 + 1 };
// "SHA256:" and the digest in unpadded base64, as ssh-keygen -l prints it.
void FormatSha256Fingerprint(const unsigned char digest[kSha256Size], char *text);

#endif
