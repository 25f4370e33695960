#pragma once

#include "THash.h"

#include <vector>

namespace tavi {

/// A string-keyed table of signed 32-bit integers.
class TIntegerHash : public THash
{
public:
    /// Stores the value under the key, replacing an earlier one.
    void Put(QByteArrayView key, qint32 value);

protected:
    void ResetValue(int index) override;
    void CopyValue(int from, int to) override;
    void ResizeValues(int count) override;
    void ClearValues() override;
    int LastValueIndex() const override;

    /// The value array, indexed by `THashRecord::ItemIndex`.
    std::vector<qint32> m_values;
};

}  // namespace tavi
