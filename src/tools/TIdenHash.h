#pragma once

#include "TIntegerHash.h"

namespace tavi {

/// The evaluator's table of identifiers: upper-case names to packed kind and code.
class TIdenHash : public TIntegerHash
{
public:
    /// The key's value, or false and 0 when the key is absent.
    bool TryGetValue(QByteArrayView key, qint32 &value) const;
};

}  // namespace tavi
