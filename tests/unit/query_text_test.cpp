#include <gtest/gtest.h>

#include <string>

#include "query/querytext.h"

namespace {

struct Parts {
    std::string request;
    std::string title;
};

Parts Finger(const std::string &query)
{
    char text[kQuerySize] = {};
    query.copy(text, sizeof text - 1);
    const char *user = nullptr;
    const char *host = nullptr;
    SplitFingerQuery(text, &user, &host);
    char request[kRequestSize];
    char title[kTitleSize];
    FormatFingerRequest(request, sizeof request, user);
    FormatFingerTitle(title, sizeof title, "Ovra", user, host);
    return {request, title};
}

std::string Strip(const std::string &typed)
{
    char text[kQuerySize] = {};
    typed.copy(text, sizeof text - 1);
    StripHttpPrefix(text);
    return text;
}

struct WebParts {
    std::string host;
    std::string request;
    std::string title;
};

WebParts Web(const std::string &typed)
{
    char text[kQuerySize] = {};
    typed.copy(text, sizeof text - 1);
    StripHttpPrefix(text);
    const char *host = nullptr;
    const char *path = nullptr;
    SplitWebQuery(text, &host, &path);
    char request[kRequestSize];
    char title[kTitleSize];
    FormatWebRequest(request, sizeof request, path);
    FormatWebTitle(title, sizeof title, "Ovra", host, path);
    return {host, request, title};
}

TEST(FingerQuery, EveryFormOfQuery)
{
    struct Row {
        const char *query, *line, *title;
    } rows[] = {
        {"U@H", "U\r\n", "Ovra - [U@H]"},
        {"@H", "\r\n", "Ovra - [@H]"},
        {"H@", "\r\n", "Ovra - [@H]"},
        {"U@H@G", "U\r\n", "Ovra - [U@H]"},
        {"U@@H", "U\r\n", "Ovra - [U@H]"},
        {"@@U@H", "U\r\n", "Ovra - [U@H]"},
        {"U", "U\r\n", "Ovra - [U@localhost]"},
        {"U V", "U\r\n", "Ovra - [U@localhost]"},
        {"  U", "U\r\n", "Ovra - [U@localhost]"},
        {"U V@H", "U V\r\n", "Ovra - [U V@H]"},
        {" U@H", " U\r\n", "Ovra - [ U@H]"},
        {"U@H G", "U\r\n", "Ovra - [U@H G]"},
    };
    for (const Row &r : rows) {
        Parts p = Finger(r.query);
        EXPECT_EQ(r.line, p.request) << r.query;
        EXPECT_EQ(r.title, p.title) << r.query;
    }
}

TEST(FingerQuery, NoNameAsksTheLocalHostForItsUsers)
{
    for (const char *query : {"", "   ", "@", "@@@"}) {
        Parts p = Finger(query);
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

    char title[kTitleSize];
    std::string app(127, 'A');
    FormatFingerTitle(title, sizeof title, app.c_str(), user.c_str(), "localhost");
    EXPECT_EQ(app + " - [" + user + "@localhost]", title);
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
        WebParts p = Web(r.typed);
        EXPECT_EQ(r.host, p.host) << r.typed;
        EXPECT_EQ(r.line, p.request) << r.typed;
        EXPECT_EQ(r.title, p.title) << r.typed;
    }
}

TEST(WebQuery, AllSlashesIsTheHostAsItStands)
{
    WebParts p = Web("///");
    EXPECT_EQ("///", p.host);
    EXPECT_EQ("GET /\r\n", p.request);
    EXPECT_EQ("Ovra - [http://////]", p.title);
}

TEST(WebQuery, LongestRequestAndTitleAreHeldWhole)
{
    std::string query = "H/" + std::string(125, 'p');
    WebParts p = Web(query);
    EXPECT_EQ("GET /" + std::string(125, 'p') + "\r\n", p.request);
    EXPECT_EQ(132u, p.request.size());
    EXPECT_EQ("Ovra - [http://" + query + "]", p.title);

    WebParts slashes = Web(std::string(127, '/'));
    EXPECT_EQ(144u, slashes.title.size());
}

}  // namespace
