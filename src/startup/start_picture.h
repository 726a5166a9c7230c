#pragma once

#include <windows.h>

namespace startup {

// Decodes the start-up picture, a GIF among the program's resources, with
// the system's imaging component into a 32-bit bitmap that the caller owns.
// Null when it cannot be had.
HBITMAP LoadStartPicture(HINSTANCE instance);

}  // namespace startup
