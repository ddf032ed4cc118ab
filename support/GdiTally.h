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
// Counts an object the system created on the program's behalf, such as a picture that
// a dialog template put into a control, from the moment the program takes it over and
// becomes the one to delete it.
HGDIOBJ TallyAdopt(HGDIOBJ object);
BOOL TallyDeleteDC(HDC dc);
// Icons are no drawing objects, but each holds two pictures and leaks the same way: the
// icon of resource id at pixels x pixels, the nearest image the group holds scaled to it.
HICON TallyLoadIcon(HINSTANCE instance, int id, int pixels);
BOOL TallyDestroyIcon(HICON icon);

#endif
