#include "net/hostkey.h"

#include <stdio.h>
#include <string.h>

#include "app/appstate.h"
#include "app/message.h"
#include "net/report.h"
#include "net/watchdog.h"
#include "res/resource.h"
#include "settings/keys.h"
#include "settings/profile.h"

enum { kBoxSize = 1536 };

// The box text: the format's paragraph (the key on lines of its own, where no text of the
// server's comes before it), then a closing paragraph naming host.
static void DescribeKey(UINT formatId, const char *host, const char *type,
                        const char *fingerprint, UINT closingId, char *text)
{
    char format[kBoxSize / 2], closing[kMessageLineSize * 2];
    LoadMessageText(formatId, format, sizeof format);
    int length = snprintf(text, kBoxSize, format, host, type, fingerprint);
    LoadMessageText(closingId, format, sizeof format);
    snprintf(closing, sizeof closing, format, host);
    if (length >= 0 && length < kBoxSize)
        snprintf(text + length, (size_t)(kBoxSize - length), "\r\n\r\n%s", closing);
}

int TrustHostKey(SshLink *link, const char *host, bool mayAskUser)
{
    char type[kHostKeyTypeSize], fingerprint[kFingerprintTextSize];
    SshHostKey(link, type, fingerprint);
    char pinned[kFingerprintTextSize + 16];
    ReadProfileText(HOSTKEYS_SECTION, host, "", pinned, sizeof pinned);
    char text[kBoxSize];
    if (pinned[0] != '\0') {
        if (fingerprint[0] != '\0' && strcmp(pinned, fingerprint) == 0)
            return 0;
        char format[kBoxSize / 2];
        LoadMessageText(IDS_HOSTKEY_CHANGED, format, sizeof format);
        snprintf(text, sizeof text, format, host, pinned, type, fingerprint);
        SshDrop(link);
        return ReportFailureText(IDS_HOSTKEY_CAPTION, text);
    }
    if (!mayAskUser) {
        DescribeKey(IDS_HOSTKEY_NEW, host, type, fingerprint, IDS_HOSTKEY_UNATTENDED, text);
        SshDrop(link);
        return ReportFailureText(IDS_HOSTKEY_CAPTION, text);
    }
    DescribeKey(IDS_HOSTKEY_NEW, host, type, fingerprint, IDS_HOSTKEY_ASK, text);
    // The time the user takes to decide is no silence of the server's.
    DisarmWatchdog();
    if (ShowText(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, IDS_HOSTKEY_CAPTION, text,
                 g_hMainWindow) != IDYES) {
        SshDrop(link);
        return EndExchangeQuietly();
    }
    WriteProfileText(HOSTKEYS_SECTION, host, fingerprint);
    ArmWatchdog();
    return 0;
}
