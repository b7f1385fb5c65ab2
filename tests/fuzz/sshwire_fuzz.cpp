// The server's first bytes as Ovra reads them: a KEXINIT is accepted only when every list
// lies inside the bytes given, and a list shares a name with itself exactly when it holds
// a name that is not empty.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "net/sshwire.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string bytes((const char *)data, size);  // a heap block of exactly that size
    NameList lists[kKexListCount];
    if (!ParseKexInit(bytes.data(), size, lists))
        return 0;
    for (const NameList &list : lists) {
        FUZZ_CHECK(list.text >= bytes.data() && list.text + list.length <= bytes.data() + size);
        std::string text(list.text, list.length);
        bool named = false;
        for (size_t start = 0; start <= text.size();) {
            size_t comma = text.find(',', start);
            size_t end = comma == std::string::npos ? text.size() : comma;
            named = named || end > start;
            start = end + 1;
        }
        FUZZ_CHECK(ShareName(&list, &list) == named);
    }
    return 0;
}
