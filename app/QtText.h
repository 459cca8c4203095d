// UTF-8 texts of the program as Qt strings and back, for the window and its dialogs.
#pragma once

#include <QString>

#include <string>

namespace app {

inline QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toUtf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

}  // namespace app
