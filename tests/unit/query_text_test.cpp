#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "query/querytext.h"

namespace {

struct Parts {
    std::string host;
    std::string request;
    std::string title;
};

Parts Finger(const std::string &query)
{
    char text[kQuerySize] = {};
    query.copy(text, sizeof text - 1);
    QueryRequest request;
    MakeFingerRequest(text, "Ovra", &request);
    return {request.host, request.line, request.title};
}

std::string Strip(const std::string &typed)
{
    char text[kQuerySize] = {};
    typed.copy(text, sizeof text - 1);
    StripHttpPrefix(text);
    return text;
}

Parts Web(const std::string &typed)
{
    char text[kQuerySize] = {};
    typed.copy(text, sizeof text - 1);
    StripHttpPrefix(text);
    QueryRequest request;
    MakeWebRequest(text, "Ovra", &request);
    return {request.host, request.line, request.title};
}

TEST(FingerQuery, EveryFormOfQuery)
{
    struct Row {
        const char *query, *host, *line, *title;
    } rows[] = {
        {"U@H", "H", "U\r\n", "Ovra - [U@H]"},
        {"@H", "H", "\r\n", "Ovra - [@H]"},
        {"H@", "H", "\r\n", "Ovra - [@H]"},
        {"U@H@G", "H", "U\r\n", "Ovra - [U@H]"},
        {"U@@H", "H", "U\r\n", "Ovra - [U@H]"},
        {"@@U@H", "H", "U\r\n", "Ovra - [U@H]"},
        {"U", "localhost", "U\r\n", "Ovra - [U@localhost]"},
        {"U V", "localhost", "U\r\n", "Ovra - [U@localhost]"},
        {"  U", "localhost", "U\r\n", "Ovra - [U@localhost]"},
        {"U V@H", "H", "U V\r\n", "Ovra - [U V@H]"},
        {" U@H", "H", " U\r\n", "Ovra - [ U@H]"},
        {"U@H G", "H G", "U\r\n", "Ovra - [U@H G]"},
    };
    for (const Row &r : rows) {
        Parts p = Finger(r.query);
        EXPECT_EQ(r.host, p.host) << r.query;
        EXPECT_EQ(r.line, p.request) << r.query;
        EXPECT_EQ(r.title, p.title) << r.query;
    }
}

TEST(FingerQuery, NoNameAsksTheLocalHostForItsUsers)
{
    for (const char *query : {"", "   ", "@", "@@@"}) {
        Parts p = Finger(query);
        EXPECT_EQ("localhost", p.host) << '"' << query << '"';
        EXPECT_EQ("\r\n", p.request) << '"' << query << '"';
        EXPECT_EQ("Ovra - [@localhost]", p.title) << '"' << query << '"';
    }
}

TEST(FingerQuery, LongestTitleIsHeldWhole)
{
    std::string user(127, 'u');
    Parts p = Finger(user);
    EXPECT_EQ(user + "\r\n", p.request);
    EXPECT_EQ("Ovra - [" + user + "@localhost]", p.title);
    EXPECT_EQ(146u, p.title.size());

    std::string app(127, 'A');
    char text[kQuerySize];
    user.copy(text, sizeof text);
    QueryRequest request;
    MakeFingerRequest(text, app.c_str(), &request);
    EXPECT_EQ(app + " - [" + user + "@localhost]", request.title);
}

TEST(WebQuery, PrefixStripping)
{
    EXPECT_EQ("H/P", Strip("http://H/P"));
    EXPECT_EQ("H/P", Strip("HTTP://H/P"));
    EXPECT_EQ("H/P", Strip("hTtP://H/P"));
    EXPECT_EQ("H/P", Strip("//http://H/P"));
    EXPECT_EQ("", Strip("http://"));
    EXPECT_EQ("", Strip("http:"));
    EXPECT_EQ("", Strip("http:/"));
    EXPECT_EQ("", Strip("HTTP:"));
    EXPECT_EQ("/P", Strip("http:/H/P"));
    EXPECT_EQ("https://H/P", Strip("https://H/P"));
    EXPECT_EQ("httpx://H", Strip("httpx://H"));
    EXPECT_EQ("http:x/H", Strip("http:x/H"));
    EXPECT_EQ("http", Strip("http"));
    EXPECT_EQ("H:8080/P", Strip("H:8080/P"));
    EXPECT_EQ("H/http://P", Strip("H/http://P"));
    EXPECT_EQ("", Strip(""));
}

TEST(WebQuery, EveryFormOfQuery)
{
    struct Row {
        const char *typed, *host, *line, *title;
    } rows[] = {
        {"H/P", "H", "GET /P\r\n", "Ovra - [http://H/P]"},
        {"http://H/P", "H", "GET /P\r\n", "Ovra - [http://H/P]"},
        {"HTTP://H/P", "H", "GET /P\r\n", "Ovra - [http://H/P]"},
        {"H/A/B", "H", "GET /A/B\r\n", "Ovra - [http://H/A/B]"},
        {"/H/P", "H", "GET /P\r\n", "Ovra - [http://H/P]"},
        {"H//P", "H", "GET //P\r\n", "Ovra - [http://H//P]"},
        {"H", "H", "GET /\r\n", "Ovra - [http://H/]"},
        {"H/", "H", "GET /\r\n", "Ovra - [http://H/]"},
        {"http://", "", "GET /\r\n", "Ovra - [http:///]"},
        {"https://H/P", "https:", "GET //H/P\r\n", "Ovra - [http://https://H/P]"},
        {"H:80/P", "H:80", "GET /P\r\n", "Ovra - [http://H:80/P]"},
        {"H/a b", "H", "GET /a b\r\n", "Ovra - [http://H/a b]"},
        {"", "", "GET /\r\n", "Ovra - [http:///]"},
    };
    for (const Row &r : rows) {
        Parts p = Web(r.typed);
        EXPECT_EQ(r.host, p.host) << r.typed;
        EXPECT_EQ(r.line, p.request) << r.typed;
        EXPECT_EQ(r.title, p.title) << r.typed;
    }
}

TEST(WebQuery, AllSlashesIsTheHostAsItStands)
{
    Parts p = Web("///");
    EXPECT_EQ("///", p.host);
    EXPECT_EQ("GET /\r\n", p.request);
    EXPECT_EQ("Ovra - [http://////]", p.title);
}

TEST(WebQuery, LongestRequestAndTitleAreHeldWhole)
{
    std::string query = "H/" + std::string(125, 'p');
    Parts p = Web(query);
    EXPECT_EQ("GET /" + std::string(125, 'p') + "\r\n", p.request);
    EXPECT_EQ(132u, p.request.size());
    EXPECT_EQ("Ovra - [http://" + query + "]", p.title);

    Parts slashes = Web(std::string(127, '/'));
    EXPECT_EQ(144u, slashes.title.size());
}

TEST(WebQuery, AddressesWithSchemeAndPort)
{
    struct Row {
        const char *typed, *host, *path, *formatted;
        unsigned port;
        bool secure;
    } rows[] = {
        {"https://H:8443/A/B", "H", "A/B", "https://H:8443/A/B", 8443, true},
        {"HTTPS://H", "H", "", "https://H/", 0, true},
        {"/https:/H/P", "H", "P", "https://H/P", 0, true},
        {"http://H:80/P", "H", "P", "http://H:80/P", 80, false},
        {"H:65536/P", "H:65536", "P", "http://H:65536/P", 0, false},
        {"H:8x/P", "H:8x", "P", "http://H:8x/P", 0, false},
        {"[::1]:8080/P", "[::1]", "P", "http://[::1]:8080/P", 8080, false},
        {"httpx://H/P", "httpx:", "/H/P", "http://httpx://H/P", 0, false},
        {"https://", "", "", "https:///", 0, true},
    };
    for (const Row &r : rows) {
        char text[kQuerySize] = {};
        strncpy(text, r.typed, sizeof text - 1);
        WebAddress a;
        SplitWebAddress(text, &a);
        EXPECT_STREQ(r.host, a.host) << r.typed;
        EXPECT_STREQ(r.path, a.path) << r.typed;
        EXPECT_EQ(r.port, a.port) << r.typed;
        EXPECT_EQ(r.secure, a.secure) << r.typed;
        char formatted[kQueryTitleSize];
        FormatWebAddress(&a, formatted, sizeof formatted);
        EXPECT_STREQ(r.formatted, formatted) << r.typed;
    }
}

}  // namespace
