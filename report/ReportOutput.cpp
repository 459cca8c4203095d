#include "report/ReportOutput.h"

#include "util/File.h"

#include <filesystem>
#include <system_error>

namespace report {

namespace {

class DiskFile : public OutputFile {
public:
    explicit DiskFile(util::FileHandle file) : file_(std::move(file)) {}

    bool write(std::string_view bytes) override
    {
        return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) == bytes.size();
    }
    bool close() override { return file_ && std::fclose(file_.release()) == 0; }

private:
    util::FileHandle file_;
};

class MemoryFile : public OutputFile {
public:
    explicit MemoryFile(std::string& bytes) : bytes_(bytes) {}

    bool write(std::string_view bytes) override
    {
        bytes_.append(bytes);
        return true;
    }
    bool close() override { return true; }

private:
    std::string& bytes_;
};

}  // namespace

bool DiskOutput::isFolder(const std::string& path)
{
    return util::isFolder(path);
}

bool DiskOutput::createFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::create_directory(util::nativePath(path), error) && !error;
}

std::unique_ptr<OutputFile> DiskOutput::create(const std::string& path)
{
    util::FileHandle file(util::openFile(path, "wb"));
    if (!file) {
        return nullptr;
    }
    return std::make_unique<DiskFile>(std::move(file));
}

void DiskOutput::remove(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(util::nativePath(path), ignored);
}

bool MemoryOutput::createFolder(const std::string& path)
{
    return folders.insert(path).second;
}

std::unique_ptr<OutputFile> MemoryOutput::create(const std::string& path)
{
    std::string& bytes = files[path];
    bytes.clear();
    return std::make_unique<MemoryFile>(bytes);
}

}  // namespace report
