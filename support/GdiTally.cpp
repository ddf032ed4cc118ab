#include "support/GdiTally.h"

namespace {

long objectsInUse = 0;

template <typename Handle> Handle Counted(Handle handle) {
    if (handle != nullptr) {
        ++objectsInUse;
    }
    return handle;
}

BOOL Released(BOOL done) {
    if (done) {
        --objectsInUse;
    }
    return done;
}

} // namespace

long GdiObjectsInUse() { return objectsInUse; }

HBITMAP TallyLoadBitmap(HINSTANCE instance, int id) {
    return Counted(LoadBitmapA(instance, MAKEINTRESOURCEA(id)));
}

HBITMAP TallyCreateCompatibleBitmap(HDC dc, int width, int height) {
    return Counted(CreateCompatibleBitmap(dc, width, height));
}

HBRUSH TallyCreateSolidBrush(COLORREF colour) { return Counted(CreateSolidBrush(colour)); }

HPEN TallyCreatePen(int style, int width, COLORREF colour) {
    return Counted(CreatePen(style, width, colour));
}

HDC TallyCreateCompatibleDC(HDC dc) { return Counted(CreateCompatibleDC(dc)); }

HGDIOBJ TallyAdopt(HGDIOBJ object) { return Counted(object); }

// Deleting a null handle or one that is already gone fails and changes no count.
BOOL TallyDeleteObject(HGDIOBJ object) { return object != nullptr ? Released(DeleteObject(object)) : FALSE; }

BOOL TallyDeleteDC(HDC dc) { return dc != nullptr ? Released(DeleteDC(dc)) : FALSE; }

HICON TallyLoadIcon(HINSTANCE instance, int id, int pixels) {
    return Counted(
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, pixels, pixels, 0)));
}

BOOL TallyDestroyIcon(HICON icon) { return icon != nullptr ? Released(DestroyIcon(icon)) : FALSE; }
