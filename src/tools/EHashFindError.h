#pragma once

#include "EHashError.h"

namespace tavi {

/// A key that the table does not hold was read.
class EHashFindError : public EHashError
{
public:
    using EHashError::EHashError;
};

}  // namespace tavi
