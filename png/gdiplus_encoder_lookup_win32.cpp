#include "png/gdiplus_encoder_lookup_win32.h"

#include "png/gdiplus_win32.h"

#include <cstdlib>
#include <cwchar>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

int FindEncoderClsid(const wchar_t* mimeType, CLSID* clsidOut)
{
    UINT count = 0;
    UINT size = 0;
    GdipGetImageEncodersSize(&count, &size);
    if (size == 0)
        return -1;

    // The records are followed in the same block by the strings they point to,
    // so the block is `size` bytes, not `count` records.
    auto* const encoders = static_cast<ImageCodecInfo*>(std::malloc(size));
    if (encoders == nullptr)
        return -1;
    GdipGetImageEncoders(count, size, encoders);

    int found = -1;
    for (UINT i = 0; i < count; ++i) {
        if (encoders[i].MimeType != nullptr && std::wcscmp(encoders[i].MimeType, mimeType) == 0) {
            *clsidOut = encoders[i].Clsid;
            found = static_cast<int>(i);
            break;
        }
    }
    std::free(encoders);
    return found;
}
