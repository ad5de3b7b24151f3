#include <iconv.h>

#include <cerrno>

#include "base/Cp932Text_platform.h"

namespace {

// Converts all of `in`; a sequence the source code page does not know
// becomes `replacement` (or fails the conversion when there is none).
bool convert(const char* to, const char* from, std::string_view in, std::string& out,
             std::string_view replacement) {
    out.clear();
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    char* source = const_cast<char*>(in.data());
    std::size_t left = in.size();
    bool ok = true;
    char chunk[256];
    while (left != 0) {
        char* target = chunk;
        std::size_t room = sizeof chunk;
        const std::size_t result = iconv(converter, &source, &left, &target, &room);
        out.append(chunk, static_cast<std::size_t>(target - chunk));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        if (replacement.empty()) {
            ok = false;
            break;
        }
        out += replacement;
        ++source;
        --left;
    }
    iconv_close(converter);
    return ok;
}

}  // namespace

bool encodeCp932(std::string_view utf8, std::string& cp932) {
    return convert("CP932", "UTF-8", utf8, cp932, {});
}

std::string decodeCp932(std::string_view cp932) {
    std::string utf8;
    convert("UTF-8", "CP932", cp932, utf8, "\xEF\xBF\xBD");
    return utf8;
}
