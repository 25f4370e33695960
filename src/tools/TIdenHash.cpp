#include "TIdenHash.h"

namespace tavi {

bool TIdenHash::TryGetValue(QByteArrayView key, qint32 &value) const
{
    int bucket = 0;
    int position = 0;
    if (!LocateKey(key, bucket, position)) {
        value = 0;
        return false;
    }
    value = m_values[Bucket(bucket)[position].ItemIndex];
    return true;
}

}  // namespace tavi
