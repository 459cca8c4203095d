// Errors caused by the user's data that end a run. what() is the finished message in
// UTF-8; the front end adds the final "." and shows it with the application title.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace util {

class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A number text that is not a decimal number (NC word, start field, radius prompt).
class ConversionError : public UserError {
public:
    // `text` is the offending text as UTF-8.
    explicit ConversionError(const std::string& text);
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A division that the data would make by zero; floating point never traps, so the
// divisor is checked and this is thrown instead.
class ArithmeticError : public UserError {
public:
    using UserError::UserError;
};

// A file that failed part way through a run: a read of the NC file, a write of a report
// file (a full disk). what() is the text of the message box the run shows, caption() its
// caption; the run ends and what was written stays.
class FileError : public UserError {
public:
    FileError(const std::string& message, std::string caption, std::string path)
        : UserError(message), caption_(std::move(caption)), path_(std::move(path))
    {
    }
    const std::string& caption() const { return caption_; }
    const std::string& path() const { return path_; }

private:
    std::string caption_;
    std::string path_;
};

// "No Open <path>" under "File Open Error".
class ReadError : public FileError {
public:
    explicit ReadError(const std::string& path);
};

// "No Write <path>" under "File Write Error".
class WriteError : public FileError {
public:
    explicit WriteError(const std::string& path);
};

// Adds the "." that closes a message shown by the error display, unless the message
// already ends in a character at or below "." (so "!" or "." itself are kept alone).
std::string withClosingPeriod(std::string message);

}  // namespace util
