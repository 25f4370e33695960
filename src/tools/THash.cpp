#include "THash.h"

#include "EHashInvalidKeyError.h"

namespace tavi {

quint32 KeyHash(QByteArrayView key)
{
    if (key.isEmpty())
        throw EHashInvalidKeyError(QStringLiteral("Key cannot be an empty string"));
    quint32 h = 0x12345670u;
    for (const char ch : key) {
        h = (h << 4) + static_cast<quint8>(ch);
        const quint32 g = h & 0xF0000000u;
        // An OR, not the usual XOR-and-clear: the top bits stay set once they are.
        if (g != 0)
            h |= g >> 24;
    }
    return h;
}

THash::THash()
    : m_bucketCount(1 << m_bits),
      m_mask(static_cast<quint32>(m_bucketCount - 1)),
      m_buckets(m_bucketCount)
{}

bool THash::LocateKey(QByteArrayView key, int &bucket, int &position) const
{
    bucket = static_cast<int>(KeyHash(key) & m_mask);
    const std::vector<THashRecord> &entries = m_buckets[bucket];
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].Key == key) {
            position = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

bool THash::HasKey(QByteArrayView key) const
{
    int bucket = 0;
    int position = 0;
    return LocateKey(key, bucket, position);
}

int THash::NewItemIndex()
{
    if (!m_freeIndexes.empty()) {
        const int index = m_freeIndexes.back();
        m_freeIndexes.pop_back();
        return index;
    }
    return LastValueIndex() + 1;
}

int THash::indexForPut(QByteArrayView key)
{
    int bucket = 0;
    int position = 0;
    if (LocateKey(key, bucket, position))
        return m_buckets[bucket][position].ItemIndex;
    const int index = NewItemIndex();
    if (LastValueIndex() < index)
        ResizeValues(index + 1);
    m_buckets[bucket].push_back(THashRecord{KeyHash(key), index, key.toByteArray()});
    return index;
}

}  // namespace tavi
