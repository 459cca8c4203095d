// Reads an NC program line by line, the way the report shows it: a line ends at LF, CR or
// CR LF; the text ends at the end-of-file mark old editors write; trailing blanks and
// control characters are dropped; a UTF-8 program (decided from its first 64 KiB) is
// turned into code page 932 line by line, noting what code page 932 cannot hold.
#pragma once

#include "util/Cp932.h"
#include "util/File.h"

#include <functional>
#include <string>
#include <vector>

namespace run {

class Progress;

class ProgramReader {
public:
    // `file` is open for reading; `path` names it in errors and gives its size for progress.
    ProgramReader(util::FileHandle file, std::string path, Progress& progress)
        : file_(std::move(file)), path_(std::move(path)), progress_(progress)
    {
    }

    // Calls `line` for every line, in order. Throws util::ReadError when a read fails
    // part way; what `line` throws ends the reading.
    void readAll(const std::function<void(const std::string& line)>& line);

    // The characters of the current line that code page 932 cannot hold, where the line
    // holds "?" for them.
    const std::vector<util::UnmappedCharacter>& unmapped() const { return unmapped_; }

    // Closes the file early.
    void close() { file_.reset(); }

private:
    void deliver(std::string& line, const std::function<void(const std::string& line)>& consume);

    util::FileHandle file_;
    std::string path_;
    Progress& progress_;
    bool utf8Program_ = false;  // decided from the file's first 64 KiB
    bool atFileStart_ = true;   // no line delivered yet: a byte order mark may lead
    util::Utf8LineConverter utf8Converter_;
    std::string converted_;     // the converted line, swapped in
    std::vector<util::UnmappedCharacter> unmapped_;  // of the current line
};

}  // namespace run
