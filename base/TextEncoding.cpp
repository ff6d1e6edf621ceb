#include "base/TextEncoding.h"

#include "base/Error.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace quorrel {

bool IsValidUtf8(const std::string& bytes) {
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        int follow = 0;
        unsigned int code = 0;
        if (c < 0x80) { ++i; continue; }
        if (c >= 0xC2 && c <= 0xDF) { follow = 1; code = c & 0x1F; }
        else if (c >= 0xE0 && c <= 0xEF) { follow = 2; code = c & 0x0F; }
        else if (c >= 0xF0 && c <= 0xF4) { follow = 3; code = c & 0x07; }
        else return false;
        for (int k = 1; k <= follow; ++k) {
            if (i + k >= n)
                return false;
            unsigned char cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are invalid.
        if ((follow == 2 && code < 0x800) || (follow == 3 && code < 0x10000) || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

std::string GbkToUtf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw Error("the GBK code page is not available for conversion");
    std::string input = bytes;
    std::vector<char> output(bytes.size() * 2 + 16);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw Error("the text is neither UTF-8 nor GBK");
    return std::string(output.data(), output.size() - outLeft);
}

} // namespace quorrel
