// What Ovra reads of an SSH server by itself: the name lists of its first key-exchange
// offer (to say which kind of algorithm the two sides do not share), and fingerprints.
#include <gtest/gtest.h>

#include <string>

#include "net/sshwire.h"

namespace {

std::string Uint32(size_t n)
{
    return {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
}

// A server's first bytes: a line before its identification, the identification, then a
// KEXINIT packet with the given lists (the rest empty) and padding.
std::string ServerHello(const std::string &kex, const std::string &hostKeys)
{
    std::string payload = "\x14" + std::string(16, 'c');
    for (int i = 0; i < kKexListCount; i++) {
        std::string list = i == kKexMethods ? kex : i == kHostKeyTypes ? hostKeys : "none";
        payload += Uint32(list.size()) + list;
    }
    payload += std::string(5, '\0');  // first_kex_packet_follows, reserved
    std::string padding(4, 'p');
    return "Welcome\r\nSSH-2.0-OpenSSH_9.2p1 Debian-2\r\n" +
           Uint32(1 + payload.size() + padding.size()) + char(padding.size()) + payload + padding;
}

std::string Text(const NameList &list)
{
    return std::string(list.text, list.length);
}

TEST(KexInitTest, ReadsTheListsOnlyFromAWholePacket)
{
    std::string hello = ServerHello("curve25519-sha256,ecdh-sha2-nistp256", "ssh-ed25519");
    NameList lists[kKexListCount];
    ASSERT_TRUE(ParseKexInit(hello.data(), hello.size(), lists));
    EXPECT_EQ("curve25519-sha256,ecdh-sha2-nistp256", Text(lists[kKexMethods]));
    EXPECT_EQ("ssh-ed25519", Text(lists[kHostKeyTypes]));
    EXPECT_EQ("none", Text(lists[kLanguagesIn]));
    // Any shorter capture (the packet cut off) is refused, never read past its end.
    for (size_t length = 0; length < hello.size() - 4; length++)
        EXPECT_FALSE(ParseKexInit(hello.data(), length, lists)) << length;
    std::string overlong = hello;
    size_t packet = hello.find("\r\n", hello.find("SSH-2.0")) + 2;
    overlong[packet + 4 + 1 + 1 + 16] = '\x7f';  // the first list's length, past the packet
    EXPECT_FALSE(ParseKexInit(overlong.data(), overlong.size(), lists));
    std::string noIdentification = hello.substr(hello.find("SSH-2.0") + 4);
    EXPECT_FALSE(ParseKexInit(noIdentification.data(), noIdentification.size(), lists));
}

TEST(KexInitTest, SharedNamesAreWholeNames)
{
    struct Row {
        const char *a, *b;
        bool shared;
    } rows[] = {
        {"ssh-ed25519", "ecdsa-sha2-nistp256,rsa-sha2-512,rsa-sha2-256", false},
        {"rsa-sha2-512,ssh-ed25519", "ecdsa-sha2-nistp256,rsa-sha2-512", true},
        {"rsa-sha2-256", "rsa-sha2-2567,rsa-sha2-25", false},
        {"a,,b", ",", false}, {"", "", false}, {"x", "x", true},
    };
    for (const Row &r : rows) {
        NameList a = {r.a, strlen(r.a)}, b = {r.b, strlen(r.b)};
        EXPECT_EQ(r.shared, ShareName(&a, &b)) << r.a << " / " << r.b;
    }
}

TEST(FingerprintTest, IsUnpaddedBase64AsOpenSshPrintsIt)
{
    // SHA-256 of "ovra".
    const unsigned char digest[kSha256Size] = {
        0x04, 0x89, 0xc7, 0xac, 0xee, 0xde, 0xc6, 0xcc, 0x04, 0x7b, 0x20, 0x5e, 0xc2, 0x63, 0x14, 0x49,
        0x7d, 0xfb, 0x9a, 0x97, 0x69, 0x0a, 0xb8, 0x53, 0x3e, 0x65, 0x03, 0x69, 0x55, 0x11, 0xc2, 0xf6};
    char text[kFingerprintTextSize];
    FormatSha256Fingerprint(digest, text);
    EXPECT_STREQ("SHA256:BInHrO7exswEeyBewmMUSX37mpdpCrhTPmUDaVURwvY", text);
}

}  // namespace
