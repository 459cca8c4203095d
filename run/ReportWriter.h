// A report file being written, through a large buffer. A write that fails
// (a full disk) throws WriteFailure, so a failed run is never taken for a finished one.
#pragma once

#include "run/ReportOutput.h"

#include <memory>
#include <string>
#include <string_view>

namespace run {

struct WriteFailure {
    std::string path;
};

class ReportWriter {
public:
    ReportWriter(std::unique_ptr<OutputFile> file, std::string path);
    // Writes what is buffered and closes, ignoring failures: used when a run is abandoned.
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // Appends to the buffer; callers may also append to buffer() directly and then call
    // flushIfFull().
    void write(std::string_view text)
    {
        buffer_.append(text);
        flushIfFull();
    }
    std::string& buffer() { return buffer_; }
    void flushIfFull()
    {
        if (buffer_.size() >= kFlushSize) {
            flush();
        }
    }

    // Writes the rest and closes the file; throws WriteFailure when either fails.
    void close();

private:
    static constexpr std::size_t kFlushSize = 1 << 18;

    void flush();

    std::unique_ptr<OutputFile> file_;
    std::string path_;
    std::string buffer_;
};

}  // namespace run
