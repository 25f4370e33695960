#pragma once

#include "EHashError.h"

namespace tavi {

/// A key that no table accepts (the empty key).
class EHashInvalidKeyError : public EHashError
{
public:
    using EHashError::EHashError;
};

}  // namespace tavi
