// Raster operations the program draws with that <windows.h> has no name for.
#ifndef SKITTERA_SUPPORT_RASTEROPS_H
#define SKITTERA_SUPPORT_RASTEROPS_H

#include <windows.h>

// PSDPxax, ((Dest ^ Pattern) & Source) ^ Pattern: where a monochrome source (the mask)
// is black the target takes the selected brush's colour, where it is white the target
// keeps its pixel. (DSPDxax, 0xE20746, is the opposite: the brush where the mask is
// white.)
constexpr DWORD kRopBrushWhereMaskBlack = 0x00B8074A;

#endif
