#include "run/ReportWriter.h"

namespace run {

ReportWriter::ReportWriter(std::unique_ptr<OutputFile> file, std::string path)
    : file_(std::move(file)), path_(std::move(path))
{
}

ReportWriter::~ReportWriter()
{
    if (file_ && !buffer_.empty()) {
        file_->write(buffer_);
    }
}

void ReportWriter::flush()
{
    if (buffer_.empty()) {
        return;
    }
    const bool written = file_->write(buffer_);
    buffer_.clear();
    if (!written) {
        throw WriteFailure{path_};
    }
}

void ReportWriter::close()
{
    flush();
    const std::unique_ptr<OutputFile> file = std::move(file_);
    if (!file->close()) {
        throw WriteFailure{path_};
    }
}

}  // namespace run
