// The speedometer's fixed geometry: where the hub sits on the dial picture and where
// the needle's tip points for a speed. Free of <windows.h>: tested natively.
#ifndef SKITTERA_DIALOG_GAUGEGEOMETRY_H
#define SKITTERA_DIALOG_GAUGEGEOMETRY_H

// The hub is the centre of the 124 x 124 dial picture, whatever the size of the frame
// the picture is placed in.
constexpr int kDialSize = 124;
constexpr int kDialCentre = 62;
constexpr int kNeedleLength = 50;

// Degrees of needle turn per m/h and the needle's angle at speed 0, with the screen's
// y growing downward: 0 points to the lower left, 10000 (100 on the scale) to the
// lower right, turning clockwise over the top.
constexpr double kNeedleDegreesPerSpeed = 0.027000000000000003;
constexpr double kNeedleZeroDegrees = -45;
// 3.1415926535 / 180: the scale was laid out with this value, so the needle uses it too.
constexpr double kRadiansPerDegree = 0.017453292519444445;

// The tip lies at (centre.x - dx, centre.y - dy).
struct NeedleOffset {
    int dx;
    int dy;
};

double NeedleAngleRadians(double speed);
NeedleOffset NeedleTipOffset(double speed);

#endif
