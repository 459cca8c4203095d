// Where a run puts its report: the result folder and the files in it. The programs write
// to disk; tests and the fuzz target keep the files in memory, so a run there costs no
// file system work and leaves nothing behind.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace report {

// One file being written from its start.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // False when the bytes could not be written (a full disk).
    virtual bool write(std::string_view bytes) = 0;
    // Writes what is pending and ends the file; false when that fails.
    virtual bool close() = 0;
};

class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    virtual bool isFolder(const std::string& path) = 0;
    // Creates one folder whose parent exists; false when it cannot.
    virtual bool createFolder(const std::string& path) = 0;
    // Creates or empties the file; null when it cannot be opened.
    virtual std::unique_ptr<OutputFile> create(const std::string& path) = 0;
    // Removes the file if it is there.
    virtual void remove(const std::string& path) = 0;
};

// The file system.
class DiskOutput : public ReportOutput {
public:
    bool isFolder(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    std::unique_ptr<OutputFile> create(const std::string& path) override;
    void remove(const std::string& path) override;
};

// Files and folders as strings: `files` holds what each file has received so far, closed
// or not; `folders` the folders there are (the caller puts the working folder there). A
// file being written must not be removed.
class MemoryOutput : public ReportOutput {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders;

    bool isFolder(const std::string& path) override { return folders.contains(path); }
    bool createFolder(const std::string& path) override;
    std::unique_ptr<OutputFile> create(const std::string& path) override;
    void remove(const std::string& path) override { files.erase(path); }
};

}  // namespace report
