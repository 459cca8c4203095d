// The one place where the two kinds of text meet: code page 932 bytes (NC lines, report
// files) and UTF-8 (messages, prompts, paths on this platform).
#pragma once

#include <string>
#include <string_view>

namespace util {

// The first byte of a double-byte code page 932 character.
constexpr bool isCp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// UTF-8 literal text of the program into code page 932. Every literal is representable;
// a character that is not throws std::logic_error (a bug, not user data).
std::string toCp932(std::string_view utf8);

// Code page 932 bytes (an NC number text) into UTF-8 for a message; bytes that are no
// valid character become U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

// A UTF-8 path as it is written into a link of the report: characters code page 932 can
// hold are converted, the others (and bytes that are not UTF-8) are percent-encoded as
// UTF-8, and so are the few ASCII characters that would end the attribute or the path
// (controls, blank, " # % & < > ?).
std::string pathToCp932Link(std::string_view utf8Path);

// UTF-8 text into another encoding (the terminal's); what it cannot hold becomes "?".
std::string fromUtf8(std::string_view utf8, const std::string& codeset);

}  // namespace util
