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

// Opening a converter costs more than most conversions: one per thread serves all.
Converter& toCp932Converter()
{
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

// What the bytes at the start of a text hold: a valid UTF-8 sequence of `length` bytes, an
// invalid one (length 0), or the valid start of a sequence that the text cuts short.
struct Utf8Sequence {
    std::size_t length = 0;
    bool truncated = false;
    char32_t codePoint = 0;
};

Utf8Sequence utf8Sequence(std::string_view text)
{
    const auto c = static_cast<unsigned char>(text[0]);
    if (c < 0x80) {
        return {1, false, c};
    }
    std::size_t length = 0;
    char32_t codePoint = 0;
    // The second byte's range rules out overlong forms, surrogates and values past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        codePoint = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        codePoint = c & 0x0F;
        low = c == 0xE0 ? 0xA0 : 0x80;
        high = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        codePoint = c & 0x07;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= text.size()) {
            return {0, true, 0};
        }
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) {
            return {};
        }
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    return {length, false, codePoint};
}

// Length of the UTF-8 sequence starting at text[0], or 0 when it is not valid UTF-8.
std::size_t utf8SequenceLength(std::string_view text)
{
    return utf8Sequence(text).length;
}

bool isAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
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
    std::string out;
    if (!toCp932Converter().convert(utf8, out)) {
        throw std::logic_error("text not representable in code page 932");
    }
    return out;
}

std::string cp932ToUtf8(std::string_view cp932)
{
    thread_local Converter converter("UTF-8", "CP932");
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
    Converter& converter = toCp932Converter();
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

bool looksLikeUtf8(std::string_view head)
{
    if (head.starts_with(kUtf8ByteOrderMark)) {
        return true;
    }
    bool multiByte = false;
    while (!head.empty()) {
        const Utf8Sequence sequence = utf8Sequence(head);
        if (sequence.truncated) {
            return true;  // the start of a multi-byte character that the window cuts
        }
        if (sequence.length == 0) {
            return false;
        }
        multiByte = multiByte || sequence.length > 1;
        head.remove_prefix(sequence.length);
    }
    return multiByte;
}

class Utf8LineConverter::Impl {
public:
    Converter toCp932{"CP932", "UTF-8"};
};

Utf8LineConverter::Utf8LineConverter() : impl_(std::make_unique<Impl>()) {}

Utf8LineConverter::~Utf8LineConverter() = default;

bool Utf8LineConverter::convert(std::string_view utf8, std::string& cp932, std::vector<UnmappedCharacter>& unmapped)
{
    if (isAscii(utf8)) {
        cp932.assign(utf8);
        unmapped.clear();
        return true;
    }
    for (std::string_view rest = utf8; !rest.empty();) {
        const Utf8Sequence sequence = utf8Sequence(rest);
        if (sequence.length == 0) {
            return false;
        }
        rest.remove_prefix(sequence.length);
    }
    cp932.clear();
    unmapped.clear();
    while (!utf8.empty()) {
        const Utf8Sequence sequence = utf8Sequence(utf8);
        std::string_view character = utf8.substr(0, sequence.length);
        if (sequence.length == 1) {
            cp932 += utf8[0];
        } else if (!impl_->toCp932.convert(character, cp932)) {
            unmapped.push_back({cp932.size(), sequence.codePoint});
            cp932 += '?';
        }
        utf8.remove_prefix(sequence.length);
    }
    return true;
}

}  // namespace util
