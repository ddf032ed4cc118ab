#include "dialog/DrumPictures.h"

#include "resources/resource.h"

// The digit pictures are numbered so that a digit's picture is its value above the
// picture of 0.
int DrumPictureId(char character) {
    if (character == '.') {
        return IDB_DIGIT_POINT;
    }
    if (character >= '0' && character <= '9') {
        return IDB_DIGIT_0 + (character - '0');
    }
    return IDB_DIGIT_BLANK;
}

int DrumPictureAt(const TextString& digits, int cell) {
    if (cell < 0 || cell >= digits.length) {
        return IDB_DIGIT_BLANK;
    }
    return DrumPictureId(digits.CharAt(cell));
}
