// The program's own count of the drawing objects it has created and not yet released:
// pictures, pens, brushes and memory contexts. GetGuiResources is not available
// everywhere (Wine answers 0), so the leak tests read this count. Every create and
// delete of such an object in the program goes through these functions.
#ifndef SKITTERA_SUPPORT_GDITALLY_H
#define SKITTERA_SUPPORT_GDITALLY_H

#include <windows.h>

long GdiObjectsInUse();

HBITMAP TallyLoadBitmap(HINSTANCE instance, int id);
HBITMAP TallyCreateCompatibleBitmap(HDC dc, int width, int height);
HBRUSH TallyCreateSolidBrush(COLORREF colour);
HPEN TallyCreatePen(int style, int width, COLORREF colour);
HDC TallyCreateCompatibleDC(HDC dc);
BOOL TallyDeleteObject(HGDIOBJ object);
BOOL TallyDeleteDC(HDC dc);

#endif
