#pragma once

#include "THash.h"
#include "Variant.h"

#include <vector>

namespace tavi {

/// A string-keyed table of variants.
class TVariantHash : public THash
{
public:
    /// Stores the value under the key, replacing an earlier one.
    void Put(QByteArrayView key, const Variant &value);
    /// A copy of the key's value; throws `EHashFindError` when the key is absent.
    Variant Get(QByteArrayView key) const;

protected:
    void ResetValue(int index) override;
    void CopyValue(int from, int to) override;
    void ResizeValues(int count) override;
    void ClearValues() override;
    int LastValueIndex() const override;

private:
    std::vector<Variant> m_values;
};

}  // namespace tavi
