// Test seam of the memory helpers (image.h): blocks of AllocMem larger than
// `bytes` are refused as if memory were short (0, the default: no limit), so
// a test can make one allocation of a dialog fail and see how it copes.
#pragma once

#include <cstdint>

void SetAllocationLimit(uint32_t bytes);
