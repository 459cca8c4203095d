// Reads an NC program line by line, the way the report shows it: a line ends at LF, CR or
// CR LF; the text ends at the end-of-file mark old editors write; trailing blanks and
// control characters are dropped; a UTF-8 program (decided from its first 64 KiB) is
// turned into code page 932 line by line, noting what code page 932 cannot hold. The
// reader can go back to a line it has passed (a subprogram runs again from its start).
#pragma once

#include "util/Cp932.h"
#include "util/File.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace run {

class Progress;

// Where a line starts in its file, and its number there (from 1).
struct LinePlace {
    std::uint64_t offset = 0;
    std::int64_t line = 1;
    bool operator==(const LinePlace&) const = default;
};

class ProgramReader {
public:
    // `file` is open for reading; `path` names it in errors and gives its size for progress,
    // which is told to `progress` when given.
    ProgramReader(util::FileHandle file, std::string path, Progress* progress);

    // The next line into `line`; false at the end of the text. Throws util::ReadError when
    // a read fails part way.
    bool next(std::string& line);
    // The line next() gave last: where it starts and its number.
    const LinePlace& place() const { return place_; }
    // Where the line after it starts.
    LinePlace following() const { return {offset_, place_.line + 1}; }
    // Reads on from `place` (one next() has passed). Throws util::ReadError.
    void seek(const LinePlace& place);

    // The characters of the current line that code page 932 cannot hold, where the line
    // holds "?" for them.
    const std::vector<util::UnmappedCharacter>& unmapped() const { return unmapped_; }
    const std::string& path() const { return path_; }

    // Closes the file early.
    void close() { file_.reset(); }

private:
    bool fill();
    void deliver(std::string& line);

    util::FileHandle file_;
    std::string path_;
    Progress* progress_;
    std::uint64_t total_ = 0;          // the file's size, for progress
    std::uint64_t done_ = 0;           // bytes read, for progress
    std::unique_ptr<std::array<char, 1 << 16>> buffer_;
    std::size_t pos_ = 0;              // next unread byte in the buffer
    std::size_t length_ = 0;           // bytes in the buffer, up to the end mark
    static constexpr std::size_t kNoMark = static_cast<std::size_t>(-1);
    std::size_t markAt_ = kNoMark;     // where the buffer's end mark stands
    std::uint64_t offset_ = 0;         // the file offset of buffer_[pos_]
    LinePlace place_{0, 0};
    bool ended_ = false;               // the text has ended: the file or its end mark
    bool decided_ = false;             // the encoding is decided
    bool utf8Program_ = false;         // decided from the file's first 64 KiB
    util::Utf8LineConverter utf8Converter_;
    std::string converted_;            // the converted line, swapped in
    std::vector<util::UnmappedCharacter> unmapped_;  // of the current line
};

}  // namespace run
