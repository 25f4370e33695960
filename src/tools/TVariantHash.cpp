#include "TVariantHash.h"

#include "EHashFindError.h"
#include "Gbk.h"

namespace tavi {

void TVariantHash::Put(QByteArrayView key, const Variant &value)
{
    m_values[indexForPut(key)] = value;
}

Variant TVariantHash::Get(QByteArrayView key) const
{
    int bucket = 0;
    int position = 0;
    if (!LocateKey(key, bucket, position))
        throw EHashFindError(QStringLiteral("Key \"%1\" not found").arg(Gbk::decode(key)));
    return m_values[Bucket(bucket)[position].ItemIndex];
}

void TVariantHash::ResetValue(int index)
{
    m_values.at(index) = Variant();
}

void TVariantHash::CopyValue(int from, int to)
{
    m_values.at(to) = m_values.at(from);
}

void TVariantHash::ResizeValues(int count)
{
    m_values.resize(count);
}

void TVariantHash::ClearValues()
{
    m_values.clear();
}

int TVariantHash::LastValueIndex() const
{
    return static_cast<int>(m_values.size()) - 1;
}

}  // namespace tavi
