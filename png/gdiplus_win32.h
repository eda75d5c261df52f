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

// At warning level 4 MSVC finds members of GDI+'s own classes hidden by
// their parameters' names (C4458); the header is not ours to change.
#ifdef _MSC_VER
#pragma warning(push)
#pragma warning(disable : 4458)
#endif
#include <gdiplus.h>
#ifdef _MSC_VER
#pragma warning(pop)
#endif
