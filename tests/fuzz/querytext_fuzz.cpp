// Finger and web query texts: the parts come out as described for any text of up to 127
// characters, point into the text or at constants, and the request line and the title are
// always held whole; a web address written back from its parts splits into them again.
#include <fuzzer/FuzzedDataProvider.h>

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include <string>
#include <vector>

#include "query/querytext.h"
#include "tests/fuzz/fuzzcheck.h"

static std::vector<std::string> Runs(const std::string &text, char separator)
{
    std::vector<std::string> runs(1);
    for (char c : text) {
        if (c != separator)
            runs.back() += c;
        else if (!runs.back().empty())
            runs.emplace_back();
    }
    if (runs.back().empty())
        runs.pop_back();
    return runs;
}

static bool Inside(const char *part, const char *block, size_t size)
{
    return part >= block && part <= block + size;
}

static void CheckFinger(const std::string &query, const std::string &appTitle)
{
    std::unique_ptr<char[]> block = HeapText(query);
    const char *user;
    const char *host;
    SplitFingerQuery(block.get(), &user, &host);
    std::string expectedUser;
    std::string expectedHost = "localhost";
    if (query.find('@') != std::string::npos) {
        std::vector<std::string> parts = Runs(query, '@');
        if (parts.size() >= 2) {
            expectedUser = parts[0];
            expectedHost = parts[1];
        } else if (parts.size() == 1) {
            expectedHost = parts[0];
        }
    } else {
        std::vector<std::string> words = Runs(query, ' ');
        if (!words.empty())
            expectedUser = words[0];
    }
    FUZZ_CHECK(expectedUser == user);
    FUZZ_CHECK(expectedHost == host);
    FUZZ_CHECK(*user == '\0' || Inside(user, block.get(), query.size()));

    std::unique_ptr<char[]> again = HeapText(query);
    QueryRequest request;
    MakeFingerRequest(again.get(), appTitle.c_str(), &request);
    FUZZ_CHECK(expectedHost == request.host);
    FUZZ_CHECK(expectedUser + "\r\n" == request.line);
    FUZZ_CHECK(appTitle + " - [" + expectedUser + "@" + expectedHost + "]" == request.title);
}

static bool IsHttpRun(const std::string &run)
{
    if (run.size() != 5)
        return false;
    for (size_t i = 0; i < 5; i++) {
        if (tolower((unsigned char)run[i]) != "http:"[i])
            return false;
    }
    return true;
}

static void CheckWebAddress(const std::string &text)
{
    std::unique_ptr<char[]> block = HeapText(text);
    WebAddress address;
    SplitWebAddress(block.get(), &address);
    FUZZ_CHECK(Inside(address.host, block.get(), text.size()) && address.port <= 65535);
    char formatted[kQuerySize + 32];
    FormatWebAddress(&address, formatted, sizeof formatted);
    WebAddress again;
    SplitWebAddress(formatted, &again);
    // A host that is all slashes or a scheme's name alone is taken as a scheme the second time.
    if (address.host[0] != '\0' && strchr(address.host, '/') == nullptr &&
        strcasecmp(address.host, "http:") != 0 && strcasecmp(address.host, "https:") != 0)
        FUZZ_CHECK(again.secure == address.secure && again.port == address.port &&
                   strcmp(again.host, address.host) == 0 && strcmp(again.path, address.path) == 0);
}

static void CheckWeb(const std::string &typed, const std::string &appTitle)
{
    std::unique_ptr<char[]> block = HeapText(typed);
    StripHttpPrefix(block.get());
    std::string stripped = block.get();
    size_t runStart = typed.find_first_not_of('/');
    std::string run = runStart == std::string::npos ? "" : typed.substr(runStart, typed.find('/', runStart) - runStart);
    if (IsHttpRun(run)) {
        // What follows the slash that ends "http:", less its first character.
        size_t after = std::min(typed.size(), runStart + run.size() + 2);
        FUZZ_CHECK(typed.substr(after) == stripped);
    } else {
        FUZZ_CHECK(typed == stripped);
    }

    const char *host;
    const char *path;
    SplitWebQuery(block.get(), &host, &path);
    FUZZ_CHECK(Inside(host, block.get(), stripped.size()));
    FUZZ_CHECK(Inside(path, block.get(), stripped.size()));
    size_t hostStart = stripped.find_first_not_of('/');
    if (hostStart == std::string::npos) {
        FUZZ_CHECK(stripped == host);
        FUZZ_CHECK(*path == '\0');
    } else {
        size_t slash = stripped.find('/', hostStart);
        FUZZ_CHECK(stripped.substr(hostStart, slash - hostStart) == host);
        FUZZ_CHECK((slash == std::string::npos ? "" : stripped.substr(slash + 1)) == path);
    }
    std::string expectedHost = host;
    std::string expectedPath = path;

    std::unique_ptr<char[]> again = HeapText(stripped);
    QueryRequest request;
    MakeWebRequest(again.get(), appTitle.c_str(), &request);
    FUZZ_CHECK(expectedHost == request.host);
    FUZZ_CHECK("GET /" + expectedPath + "\r\n" == request.line);
    FUZZ_CHECK(appTitle + " - [http://" + expectedHost + "/" + expectedPath + "]" == request.title);
    CheckWebAddress(stripped);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    bool finger = input.ConsumeBool();
    // The application title is a string-table text of at most 127 characters.
    std::string appTitle = CText(input.ConsumeRandomLengthString(kQuerySize - 1));
    std::string query = CText(input.ConsumeRemainingBytesAsString()).substr(0, kQuerySize - 1);
    if (finger)
        CheckFinger(query, appTitle);
    else
        CheckWeb(query, appTitle);
    return 0;
}
