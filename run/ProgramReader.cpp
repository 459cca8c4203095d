#include "run/ProgramReader.h"

#include "run/Services.h"
#include "util/File.h"
#include "util/UserError.h"

#include <array>
#include <cstdint>
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

}  // namespace

void ProgramReader::readAll(const std::function<void(const std::string& line)>& consume)
{
    const std::uint64_t total = fileSize(path_);
    std::uint64_t done = 0;
    std::array<char, 1 << 16> buffer{};
    std::string line;
    bool endMark = false;
    bool skipFeed = false;
    while (!endMark) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file_.get());
        if (n == 0) {
            if (std::ferror(file_.get()) != 0) {
                throw util::ReadError(path_);
            }
            break;
        }
        // The encoding is decided once, from the first buffer: the file's first 64 KiB.
        if (done == 0) {
            utf8Program_ = util::looksLikeUtf8(std::string_view(buffer.data(), n));
        }
        done += n;
        const char* pos = buffer.data();
        const char* end = buffer.data() + n;
        if (const void* mark = std::memchr(pos, kEndOfFileMark, n)) {
            end = static_cast<const char*>(mark);
            endMark = true;
        }
        if (skipFeed && pos < end && *pos == '\n') {
            ++pos;  // the LF of a CR LF split across two reads
        }
        skipFeed = false;
        while (pos < end) {
            const char* stop = findLineEnd(pos, end);
            if (!stop) {
                line.append(pos, end);
                break;
            }
            line.append(pos, stop);
            deliver(line, consume);
            line.clear();
            pos = stop + 1;
            // A CR ends a line too (files from old editors use it alone); the LF of a
            // CR LF then belongs to the same line end.
            if (*stop == '\r') {
                if (pos < end) {
                    pos += *pos == '\n' ? 1 : 0;
                } else {
                    skipFeed = true;
                }
            }
        }
        progress_.progress(done, total);
    }
    if (!line.empty()) {
        deliver(line, consume);
    }
}

void ProgramReader::deliver(std::string& line, const std::function<void(const std::string& line)>& consume)
{
    // Trailing blanks and control characters never reach the interpreter.
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') {
        line.pop_back();
    }
    // A line of a UTF-8 program becomes code page 932; a line that is not UTF-8 stays as
    // it is.
    if (utf8Program_) {
        unmapped_.clear();
        if (atFileStart_ && std::string_view(line).starts_with(util::kUtf8ByteOrderMark)) {
            line.erase(0, util::kUtf8ByteOrderMark.size());
        }
        if (utf8Converter_.convert(line, converted_, unmapped_)) {
            line.swap(converted_);
        }
    }
    atFileStart_ = false;
    consume(line);
}

}  // namespace run
