#include "run/ReportWriter.h"

namespace run {

ReportWriter::ReportWriter(util::FileHandle file, std::string path) : file_(std::move(file)), path_(std::move(path))
{
    buffer_.reserve(kFlushSize + 4096);
}

ReportWriter::~ReportWriter()
{
    if (file_ && !buffer_.empty()) {
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_.get());
    }
}

void ReportWriter::flush()
{
    if (buffer_.empty()) {
        return;
    }
    const std::size_t size = buffer_.size();
    const std::size_t written = std::fwrite(buffer_.data(), 1, size, file_.get());
    buffer_.clear();
    if (written != size) {
        throw WriteFailure{path_};
    }
}

void ReportWriter::close()
{
    flush();
    std::FILE* file = file_.release();
    if (std::fclose(file) != 0) {
        throw WriteFailure{path_};
    }
}

}  // namespace run
