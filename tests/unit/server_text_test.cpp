#include <gtest/gtest.h>

#include <string>

#include "net/servertext.h"

TEST(SanitizeServerText, LeavesOneLineInStoredOrderAndTheRestAlone)
{
    struct Row {
        std::u16string in, out;
    } rows[] = {
        {u"CN=ftp.example.org, O=\"A & B\"", u"CN=ftp.example.org, O=\"A & B\""},
        {u"CN=x\r\nSHA-256: 00", u"CN=x\uFFFD\uFFFDSHA-256: 00"},
        {u"\t\x1F\x7F\x80\x85\x9F", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {u"a\u2028b\u2029c", u"a\uFFFDb\uFFFDc"},
        {u"\u202Atxt.exe\u202E", u"\uFFFDtxt.exe\uFFFD"},
        {u"\u202B\u202C\u202D\u2066\u2067\u2068\u2069\u200E\u200F\u061C",
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        // Neighbours of the ranges, letters of other scripts and pairs of surrogates stay.
        {u" ~\u00A0\u200D\u2027\u202F\u2065\u206A\u05D0\u00E9\U0001F600",
         u" ~\u00A0\u200D\u2027\u202F\u2065\u206A\u05D0\u00E9\U0001F600"},
        {u"", u""},
    };
    for (const Row &r : rows) {
        std::u16string text = r.in;
        SanitizeServerText(&text[0]);
        EXPECT_TRUE(text == r.out) << "row " << (&r - rows);
    }
}
