#pragma once

#include <QString>
#include <string>

namespace merivane {

// The one place where the core's 8-bit texts meet Qt's strings. The device and
// libxml2 speak UTF-8, so the bytes are read and written as UTF-8.
inline QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace merivane
