#include "Gbk.h"

#include <QStringConverter>

namespace tavi {

QByteArray Gbk::encode(QStringView text)
{
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

QString Gbk::decode(QByteArrayView bytes)
{
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

bool Gbk::looksLikeGbk(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)utf8.decode(bytes);
    if (!utf8.hasError())
        return false;
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    (void)gbk.decode(bytes);
    return !gbk.hasError();
}

}  // namespace tavi
