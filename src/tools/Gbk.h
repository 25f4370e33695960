#pragma once

#include <QByteArray>
#include <QString>

namespace tavi {

/// The GBK code page of the host's texts.
class Gbk
{
public:
    /// GBK bytes of a text; characters GBK lacks become '?'.
    static QByteArray encode(QStringView text);
    /// Text of GBK bytes.
    static QString decode(QByteArrayView bytes);
    /// True when the bytes are valid GBK and not plain UTF-8 with non-ASCII characters.
    static bool looksLikeGbk(QByteArrayView bytes);
};

}  // namespace tavi
