#include "util/Cp932.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace util {

namespace {

// An iconv descriptor for one conversion; closed when the call ends.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::logic_error("code page 932 conversion is not available");
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the input until it is used up or a byte sequence fails; returns false on
    // failure with `in` left at the failing sequence.
    bool convert(std::string_view& in, std::string& out)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 256> buf{};
        while (!in.empty()) {
            char* inPtr = const_cast<char*>(in.data());
            std::size_t inLeft = in.size();
            char* outPtr = buf.data();
            std::size_t outLeft = buf.size();
            const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buf.data(), outPtr);
            in.remove_prefix(in.size() - inLeft);
            if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence starting at text[0], or 0 when it is not valid UTF-8.
std::size_t utf8SequenceLength(std::string_view text)
{
    const auto c = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    if (c < 0x80) {
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

void appendPercent(std::string& out, unsigned char c)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

bool needsPercentInLink(unsigned char c)
{
    switch (c) {
    case ' ':
    case '"':
    case '#':
    case '%':
    case '&':
    case '<':
    case '>':
    case '?':
    case 0x7F:
        return true;
    default:
        return c < 0x20;
    }
}

}  // namespace

std::string toCp932(std::string_view utf8)
{
    Converter converter("CP932", "UTF-8");
    std::string out;
    if (!converter.convert(utf8, out)) {
        throw std::logic_error("text not representable in code page 932");
    }
    return out;
}

std::string cp932ToUtf8(std::string_view cp932)
{
    Converter converter("UTF-8", "CP932");
    std::string out;
    while (!converter.convert(cp932, out)) {
        out += "\xEF\xBF\xBD";
        cp932.remove_prefix(1);
    }
    return out;
}

std::string fromUtf8(std::string_view utf8, const std::string& codeset)
{
    // A plain ASCII terminal (the C locale) is most likely a UTF-8 one left unconfigured:
    // passing the bytes keeps the text, turning it into "?" would lose it.
    if (codeset == "UTF-8" || codeset == "utf-8" || codeset == "utf8" || codeset == "ANSI_X3.4-1968" ||
        codeset == "ASCII" || codeset.empty()) {
        return std::string(utf8);
    }
    const iconv_t probe = iconv_open(codeset.c_str(), "UTF-8");
    if (probe == reinterpret_cast<iconv_t>(-1)) {
        return std::string(utf8);
    }
    iconv_close(probe);
    Converter converter(codeset.c_str(), "UTF-8");
    std::string out;
    while (!converter.convert(utf8, out)) {
        out += '?';
        const std::size_t length = utf8SequenceLength(utf8);
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
}

std::string pathToCp932Link(std::string_view utf8Path)
{
    Converter converter("CP932", "UTF-8");
    std::string out;
    while (!utf8Path.empty()) {
        const auto c = static_cast<unsigned char>(utf8Path[0]);
        const std::size_t length = utf8SequenceLength(utf8Path);
        if (length == 0) {
            appendPercent(out, c);
            utf8Path.remove_prefix(1);
            continue;
        }
        if (length == 1) {
            if (needsPercentInLink(c)) {
                appendPercent(out, c);
            } else {
                out += static_cast<char>(c);
            }
            utf8Path.remove_prefix(1);
            continue;
        }
        std::string_view character = utf8Path.substr(0, length);
        std::string converted;
        if (converter.convert(character, converted)) {
            out += converted;
        } else {
            for (std::size_t i = 0; i < length; ++i) {
                appendPercent(out, static_cast<unsigned char>(utf8Path[i]));
            }
        }
        utf8Path.remove_prefix(length);
    }
    return out;
}

}  // namespace util
