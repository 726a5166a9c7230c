#pragma once

#include <windows.h>

namespace startup {

// Decodes the start-up picture, a GIF among the program's resources, into an
// 8-bit bitmap with the GIF's colour table, which the caller owns. Null when
// it cannot be had.
HBITMAP LoadStartPicture(HINSTANCE instance);

}  // namespace startup
