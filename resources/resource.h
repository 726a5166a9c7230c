// Resource ids of HotlinkConfig.exe, shared by the resource script and the code.
#pragma once

// The program's icon, on the windows that show one.
#define IDI_PROGRAM 1
// The start-up window's picture: the GIF's bytes as raw data (RT_RCDATA).
#define IDR_START_PICTURE 2
