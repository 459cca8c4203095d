#include "util/UserError.h"

namespace util {

ConversionError::ConversionError(const std::string& text)
    : UserError("'" + text + "' は浮動小数点数ではありません"), text_(text)
{
}

std::string withClosingPeriod(std::string message)
{
    if (message.empty() || static_cast<unsigned char>(message.back()) > '.') {
        message += '.';
    }
    return message;
}

}  // namespace util
