#include "CodePage.h"

#include <QByteArray>
#include <QString>

namespace platform {

std::string Utf8ToLocal8Bit(const std::string& utf8) {
    const QByteArray local =
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toLocal8Bit();
    return std::string(local.constData(), static_cast<std::size_t>(local.size()));
}

}  // namespace platform
