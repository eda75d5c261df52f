#pragma once

// GDI+'s headers need the COM declarations of objidl.h, which
// WIN32_LEAN_AND_MEAN leaves out, and, in the Windows SDK, the min and max
// that NOMINMAX takes away.
#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus

#include <gdiplus.h>
