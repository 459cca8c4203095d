// A report file being written, through a large buffer. Block entries go in as what
// makes them and become text when the buffer is written: a writer in the background
// does that, and the writing, on a thread of its own while the run reads on. A write
// that fails (a full disk) throws util::WriteError, so a failed run is never taken for a
// finished one.
#pragma once

#include "report/EntryText.h"
#include "report/ReportOutput.h"
#include "util/HandOff.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace report {

class ReportWriter {
public:
    // `entryLineBreak`: what stands between the lines of an entry. `background`: render
    // and write on a thread of its own.
    ReportWriter(std::unique_ptr<OutputFile> file, std::string path, std::string entryLineBreak = {},
                 bool background = false);
    // Writes what is buffered and closes, ignoring failures: used when a run is abandoned.
    ~ReportWriter();
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    // Appends to the buffer; callers may also append to buffer() directly and then call
    // flushIfFull().
    void write(std::string_view text)
    {
        chunk_.text.append(text);
        flushIfFull();
    }
    std::string& buffer() { return chunk_.text; }
    // Text that stands around inserts row after row (a listing row's cells): kept once and
    // put in by its number where the buffer is written, so the run's thread copies none
    // of it. Numbers start at 1; 0 puts in nothing. Register before the first write.
    using Piece = std::uint8_t;
    Piece piece(std::string text);
    // The entry's non-empty lines, joined by the entry line break, after what the buffer
    // holds now; pieces `before` and `after` around them.
    void entry(const report::EntryText& entry, Piece before = 0, Piece after = 0);
    // `text` as HTML ("&", "<" and ">" escaped), after what the buffer holds now: escaped
    // where the buffer is written, off the run's thread.
    void escaped(std::string_view text, Piece before = 0, Piece after = 0);
    void flushIfFull()
    {
        if (chunk_.text.size() + chunk_.entries.size() >= kFlushSize) {
            flush();
        }
    }

    // Writes the rest and closes the file; throws util::WriteError when either fails.
    void close();

private:
    static constexpr std::size_t kFlushSize = 1 << 18;

    // Text with entries to put in: each at a position of the text, encoded in `entries`
    // (or there as text to escape).
    struct Chunk {
        struct Insert {
            std::size_t position;
            std::size_t start;
            std::size_t length;
            bool escaped = false;  // text to escape rather than an entry
            Piece before = 0;
            Piece after = 0;
        };
        std::string text;
        std::string entries;
        std::vector<Insert> inserts;
        void clear()
        {
            text.clear();
            entries.clear();
            inserts.clear();
        }
    };

    // `text` (an encoded entry, or text to escape) after what the buffer holds now.
    void insert(std::string_view text, bool escaped, Piece before, Piece after);
    void flush();
    // Renders and writes, on whichever thread does the writing.
    void writeChunk(const Chunk& chunk);
    void appendEntry(std::string_view encoded);

    std::unique_ptr<OutputFile> file_;
    std::string path_;
    std::string entryLineBreak_;
    std::vector<std::string> pieces_;  // fixed before the writing thread starts
    bool background_;
    Chunk chunk_;                    // being filled
    std::string rendered_;           // the writing thread's
    std::string entryText_;          // the writing thread's
    std::atomic<bool> failed_ = false;
    util::HandOff<Chunk> handOff_{[this](Chunk& chunk) { writeChunk(chunk); }};
};

}  // namespace report
