#pragma once

#include <cstdint>

namespace tavi::db {

/// GBK code of every BMP character (0 where GBK has none), computed when building.
extern const uint16_t kGbkCodes[65536];

}  // namespace tavi::db
