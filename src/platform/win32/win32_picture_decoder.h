// Compressed pictures (PNG in "GIF" resources) decoded with the Windows
// Imaging Component. COM must be started on the calling thread.
#pragma once

#include <windows.h>

namespace Win32PictureDecoder {

// The picture file held in memory as a 32-bit bitmap; null when WIC cannot
// decode it or a side is 0 or above Win32Bitmaps::maxSide.
HBITMAP decode(const void* bytes, DWORD size);

}  // namespace Win32PictureDecoder
