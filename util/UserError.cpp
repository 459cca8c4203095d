#include "util/UserError.h"

#include "util/Cp932.h"
#include "util/File.h"

namespace util {

ConversionError::ConversionError(const std::string& text)
    : UserError("'" + shownText(text) + "' は浮動小数点数ではありません"), text_(text)
{
}

ReadError::ReadError(const std::string& path) : FileError(openErrorText(path), kOpenErrorCaption, path) {}

WriteError::WriteError(const std::string& path) : FileError(writeErrorText(path), kWriteErrorCaption, path) {}

std::string withClosingPeriod(std::string message)
{
    if (message.empty() || static_cast<unsigned char>(message.back()) > '.') {
        message += '.';
    }
    return message;
}

}  // namespace util
