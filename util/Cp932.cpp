#include "util/Cp932.h"

#include <algorithm>

#include <array>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace util {

namespace {

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

// Windows' own table of code page 932 is the reference: it wrote the files on the shop's
// PC and reads the reports there. glibc's table adds one-way mappings (the JIS wave dash,
// minus, yen sign and a few more go to the bytes of their full-width cousins, the yen sign
// to a backslash); Windows refuses those characters, and so does this program on both.

#ifdef _WIN32

// One character (a UTF-8 sequence and its code point) into code page 932; false when the
// table has no such character.
bool encodeCharacter(std::string_view /*utf8*/, char32_t codePoint, std::string& out)
{
    std::array<wchar_t, 2> wide{};
    int units = 1;
    if (codePoint < 0x10000) {
        wide[0] = static_cast<wchar_t>(codePoint);
    } else {
        const char32_t offset = codePoint - 0x10000;
        wide[0] = static_cast<wchar_t>(0xD800 + (offset >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + (offset & 0x3FF));
        units = 2;
    }
    std::array<char, 8> bytes{};
    BOOL usedDefault = FALSE;
    // No best fit: "ä" must not quietly become "a".
    const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), units, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return false;
    }
    out.append(bytes.data(), static_cast<std::size_t>(length));
    return true;
}

// One code page 932 character (one or two bytes) into UTF-8; false when it is none.
bool decodeCharacter(std::string_view cp932, std::string& out)
{
    std::array<wchar_t, 2> wide{};
    const int units = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932.data(), static_cast<int>(cp932.size()),
                                          wide.data(), static_cast<int>(wide.size()));
    if (units <= 0) {
        return false;
    }
    std::array<char, 8> bytes{};
    const int written = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, bytes.data(),
                                            static_cast<int>(bytes.size()), nullptr, nullptr);
    if (written <= 0) {
        return false;
    }
    out.append(bytes.data(), static_cast<std::size_t>(written));
    return true;
}

#else

// An iconv descriptor for one direction, one per thread: opening one costs more than most
// conversions.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::logic_error("code page 932 conversion is not available");
        }
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // The whole input converted, or false.
    bool convert(std::string_view in, std::string& out)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 16> buf{};
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outPtr = buf.data();
        std::size_t outLeft = buf.size();
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
            return false;
        }
        out.append(buf.data(), outPtr);
        return true;
    }

private:
    iconv_t cd_;
};

bool decodeCharacter(std::string_view cp932, std::string& out)
{
    // Windows reads the single byte 0x80 as U+0080; glibc has no character for it.
    if (cp932 == "\x80") {
        out += "\xC2\x80";
        return true;
    }
    thread_local Iconv fromCp932("UTF-8", "CP932");
    return fromCp932.convert(cp932, out);
}

bool encodeCharacter(std::string_view utf8, char32_t /*codePoint*/, std::string& out)
{
    thread_local Iconv toCp932("CP932", "UTF-8");
    std::string bytes;
    std::string back;
    // A character that does not come back as itself is one of glibc's one-way mappings.
    if (!toCp932.convert(utf8, bytes) || !decodeCharacter(bytes, back) || back != utf8) {
        return false;
    }
    out += bytes;
    return true;
}

#endif

// Converts text between UTF-8 and code page 932 a character at a time until it is used up
// or a character fails; false on failure, with `in` left at the failing character.
bool encode(std::string_view& in, std::string& out)
{
    while (!in.empty()) {
        const Utf8Sequence sequence = utf8Sequence(in);
        if (sequence.length == 0 ||
            (sequence.length > 1 && !encodeCharacter(in.substr(0, sequence.length), sequence.codePoint, out))) {
            return false;
        }
        if (sequence.length == 1) {
            out += in[0];
        }
        in.remove_prefix(sequence.length);
    }
    return true;
}

bool decode(std::string_view& in, std::string& out)
{
    while (!in.empty()) {
        const auto c = static_cast<unsigned char>(in[0]);
        if (c < 0x80) {
            out += in[0];
            in.remove_prefix(1);
            continue;
        }
        const std::size_t length = isCp932LeadByte(c) ? 2 : 1;
        if (in.size() < length || !decodeCharacter(in.substr(0, length), out)) {
            return false;
        }
        in.remove_prefix(length);
    }
    return true;
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
    if (!encode(utf8, out)) {
        throw std::logic_error("text not representable in code page 932");
    }
    return out;
}

std::string messageToCp932(std::string_view utf8)
{
    std::string out;
    while (!encode(utf8, out)) {
        out += '?';
        const std::size_t length = utf8Sequence(utf8).length;
        utf8.remove_prefix(std::max<std::size_t>(length, 1));
    }
    return out;
}

std::string cp932ToUtf8(std::string_view cp932)
{
    std::string out;
    while (!decode(cp932, out)) {
        out += "\xEF\xBF\xBD";
        cp932.remove_prefix(1);
    }
    return out;
}

std::string fromUtf8(std::string_view utf8, const std::string& codeset)
{
#ifdef _WIN32
    // The console is switched to UTF-8 when the program starts.
    (void)codeset;
    return std::string(utf8);
#else
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
    Iconv converter(codeset.c_str(), "UTF-8");
    std::string out;
    while (!utf8.empty()) {
        const std::size_t length = utf8Sequence(utf8).length;
        if (length == 1) {
            out += utf8[0];
        } else if (length == 0 || !converter.convert(utf8.substr(0, length), out)) {
            out += '?';
        }
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
#endif
}

std::string pathToCp932Link(std::string_view utf8Path)
{
    std::string out;
    while (!utf8Path.empty()) {
        const auto c = static_cast<unsigned char>(utf8Path[0]);
        const Utf8Sequence sequence = utf8Sequence(utf8Path);
        const std::size_t length = sequence.length;
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
        if (!encodeCharacter(utf8Path.substr(0, length), sequence.codePoint, out)) {
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
        } else if (!encodeCharacter(character, sequence.codePoint, cp932)) {
            unmapped.push_back({cp932.size(), sequence.codePoint});
            cp932 += '?';
        }
        utf8.remove_prefix(sequence.length);
    }
    return true;
}

std::string shownText(std::string_view utf8, std::size_t maxCharacters)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const bool startsCharacter = (c & 0xC0) != 0x80;
        if (startsCharacter && characters++ == maxCharacters) {
            out += "…";
            break;
        }
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace util
