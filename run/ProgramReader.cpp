#include "run/ProgramReader.h"

#include "run/Services.h"
#include "util/File.h"
#include "util/UserError.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace run {

namespace {

constexpr char kEndOfFileMark = '\x1A';  // old editors end the text with it

std::uint64_t fileSize(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(util::nativePath(path), error);
    return error ? 0 : static_cast<std::uint64_t>(size);
}

// The first line feed or carriage return in [pos, end), or null.
const char* findLineEnd(const char* pos, const char* end)
{
    const auto length = static_cast<std::size_t>(end - pos);
    const auto* feed = static_cast<const char*>(std::memchr(pos, '\n', length));
    const auto* ret = static_cast<const char*>(std::memchr(pos, '\r', feed ? static_cast<std::size_t>(feed - pos) : length));
    return ret ? ret : feed;
}

int seekTo(std::FILE* file, std::uint64_t offset)
{
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

}  // namespace

ProgramReader::ProgramReader(util::FileHandle file, std::string path, Progress* progress)
    : file_(std::move(file)),
      path_(std::move(path)),
      progress_(progress),
      total_(fileSize(path_)),
      buffer_(std::make_unique<std::array<char, 1 << 16>>())
{
}

bool ProgramReader::fill()
{
    if (ended_ || !file_ || markAt_ != kNoMark) {
        return false;
    }
    const std::size_t n = std::fread(buffer_->data(), 1, buffer_->size(), file_.get());
    if (n == 0) {
        if (std::ferror(file_.get()) != 0) {
            throw util::ReadError(path_);
        }
        return false;
    }
    // The encoding is decided once, from the first buffer: the file's first 64 KiB.
    if (!decided_) {
        decided_ = true;
        utf8Program_ = util::looksLikeUtf8(std::string_view(buffer_->data(), n));
    }
    pos_ = 0;
    length_ = n;
    // The text ends at the end mark: the buffer ends there, and what comes after is none
    // of the program's.
    if (const void* mark = std::memchr(buffer_->data(), kEndOfFileMark, n)) {
        length_ = static_cast<std::size_t>(static_cast<const char*>(mark) - buffer_->data());
        markAt_ = length_;
    }
    done_ += n;
    if (progress_) {
        progress_->progress(std::min(done_, total_), total_);
    }
    return true;
}

bool ProgramReader::next(std::string& line)
{
    line.clear();
    place_ = {offset_, place_.line + 1};
    if (ended_) {
        return false;
    }
    for (;;) {
        if (pos_ == length_ && markAt_ == length_) {
            // The end mark ends the text; a line before it without its line end counts.
            ended_ = true;
            if (line.empty()) {
                return false;
            }
            deliver(line);
            return true;
        }
        if (pos_ == length_ && !fill()) {
            // The file ends; a last line without its line end still counts.
            ended_ = true;
            if (line.empty()) {
                return false;
            }
            deliver(line);
            return true;
        }
        const char* begin = buffer_->data() + pos_;
        const char* end = buffer_->data() + length_;
        const char* stop = findLineEnd(begin, end);
        if (!stop) {
            line.append(begin, static_cast<std::size_t>(end - begin));
            offset_ += static_cast<std::uint64_t>(end - begin);
            pos_ = length_;
            continue;
        }
        line.append(begin, static_cast<std::size_t>(stop - begin));
        offset_ += static_cast<std::uint64_t>(stop - begin) + 1;
        pos_ += static_cast<std::size_t>(stop - begin) + 1;
        // A CR ends a line too (files from old editors use it alone); the LF of a CR LF
        // then belongs to the same line end, even across two reads.
        if (*stop == '\r' && (pos_ < length_ || fill()) && (*buffer_)[pos_] == '\n') {
            ++pos_;
            ++offset_;
        }
        deliver(line);
        return true;
    }
}

void ProgramReader::seek(const LinePlace& place)
{
    if (!file_ || seekTo(file_.get(), place.offset) != 0) {
        throw util::ReadError(path_);
    }
    std::clearerr(file_.get());
    pos_ = length_ = 0;
    markAt_ = kNoMark;
    offset_ = place.offset;
    place_ = {place.offset, place.line - 1};
    ended_ = false;
}

void ProgramReader::deliver(std::string& line)
{
    // Trailing blanks and control characters never reach the interpreter.
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') {
        line.pop_back();
    }
    // A line of a UTF-8 program becomes code page 932; a line that is not UTF-8 stays as
    // it is.
    if (utf8Program_) {
        unmapped_.clear();
        if (place_.offset == 0 && std::string_view(line).starts_with(util::kUtf8ByteOrderMark)) {
            line.erase(0, util::kUtf8ByteOrderMark.size());
        }
        if (utf8Converter_.convert(line, converted_, unmapped_)) {
            line.swap(converted_);
        }
    }
}

}  // namespace run
