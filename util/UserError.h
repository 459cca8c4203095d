// Errors caused by the user's data that end a run. what() is the finished message in
// UTF-8; the front end adds the final "." and shows it with the application title.
#pragma once

#include <stdexcept>
#include <string>

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

// Adds the "." that closes a message shown by the error display, unless the message
// already ends in a character at or below "." (so "!" or "." itself are kept alone).
std::string withClosingPeriod(std::string message);

}  // namespace util
