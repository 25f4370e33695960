#pragma once

#include "THashRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace tavi {

/// Hash of a key over its bytes; throws `EHashInvalidKeyError` for an empty key.
quint32 KeyHash(QByteArrayView key);

/// Base of the string-keyed tables: owns the keys in 128 fixed buckets, while each concrete
/// table owns one array of values that the entries point into. Keys are byte strings compared
/// exactly; entries are never removed and the buckets never grow.
class THash
{
public:
    THash();
    virtual ~THash() = default;
    THash(const THash &) = default;
    THash &operator=(const THash &) = default;

    /// Finds a key: always sets the bucket, the position within it only when found.
    bool LocateKey(QByteArrayView key, int &bucket, int &position) const;
    bool HasKey(QByteArrayView key) const;

    int Bits() const { return m_bits; }
    int BucketCount() const { return m_bucketCount; }
    quint32 Mask() const { return m_mask; }
    const std::vector<THashRecord> &Bucket(int index) const { return m_buckets.at(index); }

protected:
    virtual void ResetValue(int index) = 0;
    virtual void CopyValue(int from, int to) = 0;
    virtual void ResizeValues(int count) = 0;
    virtual void ClearValues() = 0;
    /// Highest index of the value array, -1 when it is empty.
    virtual int LastValueIndex() const = 0;

    /// Index for the value of a new key: a reusable one, else the end of the value array.
    int NewItemIndex();
    /// The value index of a key, appending a new entry (and making room) when it is absent.
    int indexForPut(QByteArrayView key);

private:
    int m_bits = 7;
    int m_bucketCount = 0;
    quint32 m_mask = 0;
    std::vector<std::vector<THashRecord>> m_buckets;
    // Nothing returns indexes yet; kept so a table could reuse value slots.
    std::vector<int> m_freeIndexes;
};

}  // namespace tavi
