/* Gives the X server's first RandR output (Xvfb's "screen") an EDID, as a real monitor
 * would bring one, so that a Wine session started afterwards finds it in the monitor's
 * registry key. Built natively by the end-to-end scenarios:
 *
 *   set_edid WIDTH_MM HEIGHT_MM H_PIXELS V_PIXELS    sets the property on $DISPLAY
 *   set_edid --print WIDTH_MM HEIGHT_MM H_PIXELS V_PIXELS   writes the 128 bytes to stdout
 *
 * The block is EDID 1.3 from the VESA field layout: manufacturer "SKT", product code
 * 0x1234, serial number 0x00000042, the screen size in whole centimetres in the basic
 * block and the image size in millimetres in the first detailed timing descriptor, a
 * 60 Hz timing of the given pixels, and the monitor name "SKITTERA TEST".
 * `set_edid --print ... | edid-decode` shows it as an independent decoder reads it.
 *
 * xrandr --set refuses a property the server did not create; XRRChangeOutputProperty
 * creates it. Xvfb must run with -noreset, or it forgets the property when the last
 * client leaves. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kEdidSize = 128 };

static void put_descriptor_text(unsigned char *descriptor, unsigned char tag, const char *text) {
    size_t length = strlen(text);
    descriptor[3] = tag;
    memset(descriptor + 5, ' ', 13);
    memcpy(descriptor + 5, text, length);
    if (length < 13) {
        descriptor[5 + length] = '\n';
    }
}

static void build_edid(unsigned char *edid, int width_mm, int height_mm, int h_active, int v_active) {
    static const unsigned char header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    /* Chromaticity of sRGB, as most monitors state it. */
    static const unsigned char colours[10] = {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54};
    const int h_blank = 160, v_blank = 40, h_sync_offset = 48, h_sync_width = 32;
    const int v_sync_offset = 3, v_sync_width = 4;
    /* Pixel clock in units of 10 kHz for 60 frames a second. */
    long clock = (long)(h_active + h_blank) * (v_active + v_blank) * 60 / 10000;
    unsigned char *timing = edid + 54;
    unsigned sum = 0;
    int i;

    memset(edid, 0, kEdidSize);
    memcpy(edid, header, sizeof header);
    /* "SKT": three letters of five bits each, 'A' = 1, big-endian. */
    edid[8] = (unsigned char)((('S' - '@') << 2) | (('K' - '@') >> 3));
    edid[9] = (unsigned char)(((('K' - '@') & 7) << 5) | ('T' - '@'));
    edid[10] = 0x34; /* product code 0x1234, little-endian */
    edid[11] = 0x12;
    edid[12] = 0x42; /* serial number 0x00000042, little-endian */
    edid[16] = 1;    /* week 1 of 2024 */
    edid[17] = 2024 - 1990;
    edid[18] = 1; /* EDID 1.3 */
    edid[19] = 3;
    edid[20] = 0x80;                                    /* digital input */
    edid[21] = (unsigned char)((width_mm + 5) / 10);    /* screen size, cm */
    edid[22] = (unsigned char)((height_mm + 5) / 10);
    edid[23] = 120;  /* gamma 2.2 */
    edid[24] = 0x0A; /* RGB colour, the first timing is the preferred one */
    memcpy(edid + 25, colours, sizeof colours);
    for (i = 38; i < 54; ++i) {
        edid[i] = 0x01; /* no standard timings */
    }

    timing[0] = (unsigned char)(clock & 0xFF);
    timing[1] = (unsigned char)(clock >> 8);
    timing[2] = (unsigned char)(h_active & 0xFF);
    timing[3] = (unsigned char)(h_blank & 0xFF);
    timing[4] = (unsigned char)(((h_active >> 8) << 4) | (h_blank >> 8));
    timing[5] = (unsigned char)(v_active & 0xFF);
    timing[6] = (unsigned char)(v_blank & 0xFF);
    timing[7] = (unsigned char)(((v_active >> 8) << 4) | (v_blank >> 8));
    timing[8] = (unsigned char)h_sync_offset;
    timing[9] = (unsigned char)h_sync_width;
    timing[10] = (unsigned char)((v_sync_offset << 4) | v_sync_width);
    timing[11] = 0;
    timing[12] = (unsigned char)(width_mm & 0xFF); /* image size, mm */
    timing[13] = (unsigned char)(height_mm & 0xFF);
    timing[14] = (unsigned char)(((width_mm >> 8) << 4) | (height_mm >> 8));
    timing[17] = 0x1E; /* digital separate sync, both polarities positive */

    put_descriptor_text(edid + 72, 0xFC, "SKITTERA TEST");
    edid[90 + 3] = 0x10; /* two unused (dummy) descriptors */
    edid[108 + 3] = 0x10;

    for (i = 0; i < kEdidSize - 1; ++i) {
        sum += edid[i];
    }
    edid[kEdidSize - 1] = (unsigned char)((256 - sum % 256) % 256);
}

static int set_property(const unsigned char *edid) {
    Display *display = XOpenDisplay(NULL);
    XRRScreenResources *resources;
    Atom name;
    if (display == NULL) {
        fprintf(stderr, "set_edid: cannot open the display\n");
        return 1;
    }
    resources = XRRGetScreenResources(display, DefaultRootWindow(display));
    if (resources == NULL || resources->noutput < 1) {
        fprintf(stderr, "set_edid: the server has no RandR output\n");
        XCloseDisplay(display);
        return 1;
    }
    name = XInternAtom(display, "EDID", False);
    XRRChangeOutputProperty(display, resources->outputs[0], name, XA_INTEGER, 8, PropModeReplace, edid, kEdidSize);
    XSync(display, False);
    XRRFreeScreenResources(resources);
    XCloseDisplay(display);
    return 0;
}

int main(int argc, char **argv) {
    unsigned char edid[kEdidSize];
    int print = argc > 1 && strcmp(argv[1], "--print") == 0;
    char **sizes = argv + 1 + print;
    int width_mm, height_mm, h_active, v_active;
    if (argc != 5 + print) {
        fprintf(stderr, "usage: set_edid [--print] WIDTH_MM HEIGHT_MM H_PIXELS V_PIXELS\n");
        return 2;
    }
    width_mm = atoi(sizes[0]);
    height_mm = atoi(sizes[1]);
    h_active = atoi(sizes[2]);
    v_active = atoi(sizes[3]);
    if (width_mm < 0 || width_mm > 4095 || height_mm < 0 || height_mm > 4095 || h_active <= 0 || h_active > 4095 ||
        v_active <= 0 || v_active > 4095) {
        fprintf(stderr, "set_edid: sizes out of the EDID's range\n");
        return 2;
    }
    build_edid(edid, width_mm, height_mm, h_active, v_active);
    if (print) {
        return fwrite(edid, 1, kEdidSize, stdout) == kEdidSize ? 0 : 1;
    }
    return set_property(edid);
}
