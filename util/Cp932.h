// The one place where the two kinds of text meet: code page 932 bytes (NC lines, report
// files) and UTF-8 (messages, prompts, paths on this platform).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace util {

// The first byte of a double-byte code page 932 character.
constexpr bool isCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// UTF-8 literal text of the program into code page 932. Every literal is representable;
// a character that is not throws std::logic_error (a bug, not user data).
std::string toCp932(std::string_view utf8);

// A message (UTF-8) into code page 932 for a report row: what code page 932 cannot hold,
// and bytes that are no UTF-8, become "?".
std::string messageToCp932(std::string_view utf8);

// Code page 932 bytes (an NC number text) into UTF-8 for a message; bytes that are no
// valid character become U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

// Text from an NC file (UTF-8) as a message may show it: control bytes written as "\t",
// "\n", "\r" or "\x1B" (a program must not retitle a terminal), and cut after
// `maxCharacters` characters with "…" (a 2 MB number is not echoed whole).
std::string shownText(std::string_view utf8, std::size_t maxCharacters = 80);

// A UTF-8 path as it is written into a link of the report: characters code page 932 can
// hold are converted, the others (and bytes that are not UTF-8) are percent-encoded as
// UTF-8, and so are the few ASCII characters that would end the attribute or the path
// (controls, blank, " # % & < > ?).
std::string pathToCp932Link(std::string_view utf8Path);

// UTF-8 text into another encoding (the terminal's); what it cannot hold becomes "?".
std::string fromUtf8(std::string_view utf8, const std::string& codeset);

// Whether a program whose first bytes are `head` is UTF-8: a byte order mark, or valid
// UTF-8 holding at least one multi-byte character. A sequence cut by the end of `head`
// counts as valid.
bool looksLikeUtf8(std::string_view head);

// The UTF-8 byte order mark.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// A character of a UTF-8 line that code page 932 cannot hold: it stands in the converted
// text as one "?" at `position`.
struct UnmappedCharacter {
    std::size_t position = 0;
    char32_t codePoint = 0;
};

// Converts the lines of a UTF-8 program into code page 932.
class Utf8LineConverter {
public:
    // False, with `cp932` and `unmapped` untouched, when `utf8` is not valid UTF-8.
    // Otherwise `cp932` holds the converted line and `unmapped` what became "?" in it,
    // in order.
    bool convert(std::string_view utf8, std::string& cp932, std::vector<UnmappedCharacter>& unmapped);
};

}  // namespace util
