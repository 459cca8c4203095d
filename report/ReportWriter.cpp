#include "report/ReportWriter.h"

#include "report/BlockEntries.h"
#include "util/UserError.h"

#include <stdexcept>

namespace report {

ReportWriter::ReportWriter(std::unique_ptr<OutputFile> file, std::string path, std::string entryLineBreak,
                           bool background)
    : file_(std::move(file)), path_(std::move(path)), entryLineBreak_(std::move(entryLineBreak)), background_(background)
{
}

ReportWriter::~ReportWriter()
{
    if (!file_) {
        return;
    }
    try {
        if (handOff_.started()) {
            handOff_.handOver(chunk_);
            handOff_.finish();
        } else {
            writeChunk(chunk_);
        }
    } catch (...) {
        // The run has failed already; what the writing thread threw adds nothing to it.
    }
}

ReportWriter::Piece ReportWriter::piece(std::string text)
{
    if (pieces_.size() >= 255 || handOff_.started()) {
        throw std::logic_error("ReportWriter: a piece registered too late or once too often");
    }
    pieces_.push_back(std::move(text));
    return static_cast<Piece>(pieces_.size());
}

void ReportWriter::entry(const report::EntryText& entry, Piece before, Piece after)
{
    insert(entry.encoded(), false, before, after);
}

void ReportWriter::escaped(std::string_view text, Piece before, Piece after)
{
    insert(text, true, before, after);
}

void ReportWriter::insert(std::string_view text, bool escaped, Piece before, Piece after)
{
    if (!text.empty() || before != 0 || after != 0) {
        chunk_.inserts.push_back({chunk_.text.size(), chunk_.entries.size(), text.size(), escaped, before, after});
        chunk_.entries.append(text);
    }
}

void ReportWriter::flush()
{
    if (failed_) {
        throw util::WriteError(path_);
    }
    if (background_) {
        handOff_.handOver(chunk_);
    } else {
        writeChunk(chunk_);
        chunk_.clear();
    }
    if (failed_) {
        throw util::WriteError(path_);
    }
}

void ReportWriter::writeChunk(const Chunk& chunk)
{
    if (failed_) {
        return;
    }
    rendered_.clear();
    std::size_t done = 0;
    for (const Chunk::Insert& insert : chunk.inserts) {
        rendered_.append(chunk.text, done, insert.position - done);
        done = insert.position;
        if (insert.before != 0) {
            rendered_ += pieces_[insert.before - 1];
        }
        const std::string_view text = std::string_view(chunk.entries).substr(insert.start, insert.length);
        if (insert.escaped) {
            appendEscapedHtml(rendered_, text);
        } else {
            appendEntry(text);
        }
        if (insert.after != 0) {
            rendered_ += pieces_[insert.after - 1];
        }
    }
    rendered_.append(chunk.text, done);
    if (!rendered_.empty() && !file_->write(rendered_)) {
        failed_ = true;
    }
}

void ReportWriter::appendEntry(std::string_view encoded)
{
    entryText_.clear();
    report::EntryText::render(encoded, entryText_);
    // Empty lines of the entry leave no line break.
    bool first = true;
    for (std::size_t start = 0; start < entryText_.size();) {
        std::size_t stop = entryText_.find('\n', start);
        if (stop == std::string::npos) {
            stop = entryText_.size();
        }
        if (stop > start) {
            if (!first) {
                rendered_ += entryLineBreak_;
            }
            rendered_.append(entryText_, start, stop - start);
            first = false;
        }
        start = stop + 1;
    }
}

void ReportWriter::close()
{
    // The last chunk goes the way the others went: a short report never starts the thread.
    if (handOff_.started()) {
        handOff_.handOver(chunk_);
        handOff_.finish();
    } else {
        writeChunk(chunk_);
    }
    chunk_.clear();
    const std::unique_ptr<OutputFile> file = std::move(file_);
    if (failed_ || !file->close()) {
        throw util::WriteError(path_);
    }
}

}  // namespace report
