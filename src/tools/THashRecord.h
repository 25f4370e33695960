#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace tavi {

/// One entry of a hash bucket: the key and where its value lives.
struct THashRecord
{
    quint32 Hash = 0;
    /// Index of the value in the concrete table's value array.
    qint32 ItemIndex = 0;
    QByteArray Key;
};

}  // namespace tavi
