/* What the X11 hack's whole-program test does to a display that no command
 * line tool does:
 *   modes HZ SECONDS [HZ SECONDS ...]  show the screen in a mode of each rate
 *                                       in turn (RandR); the modes go when it ends
 *   storm WINDOW COUNT                  COUNT resizes of WINDOW, sent at once
 *   vroot X Y W H SECONDS               a window marked as the virtual root
 *                                       (__SWM_VROOT); prints its id, holds it */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static int modes(Display *d, int argc, char **argv) {
    Window root = DefaultRootWindow(d);
    int w = DisplayWidth(d, DefaultScreen(d)), h = DisplayHeight(d, DefaultScreen(d));
    for (int i = 0; i + 1 < argc; i += 2) {
        double hz = atof(argv[i]);
        XRRScreenResources *res = XRRGetScreenResources(d, root);
        if (res == NULL || res->ncrtc < 1 || res->noutput < 1) return fprintf(stderr, "no CRTC\n"), 1;
        char name[32];
        snprintf(name, sizeof name, "lvx%dx%d@%g", w, h, hz);
        XRRModeInfo m;
        memset(&m, 0, sizeof m);
        m.name = name;
        m.nameLength = (unsigned) strlen(name);
        m.width = (unsigned) w;
        m.height = (unsigned) h;
        m.hSyncStart = (unsigned) w + 48;
        m.hSyncEnd = (unsigned) w + 152;
        m.hTotal = (unsigned) w + 304;
        m.vSyncStart = (unsigned) h + 3;
        m.vSyncEnd = (unsigned) h + 7;
        m.vTotal = (unsigned) h + 22;
        m.dotClock = (unsigned long) (hz * m.hTotal * m.vTotal + 0.5);
        RRMode id = XRRCreateMode(d, root, &m);
        XRRAddOutputMode(d, res->outputs[0], id);
        if (XRRSetCrtcConfig(d, res, res->crtcs[0], CurrentTime, 0, 0, id, RR_Rotate_0, res->outputs, 1) != 0)
            return fprintf(stderr, "mode %g Hz refused\n", hz), 1;
        XSync(d, False);
        XRRFreeScreenResources(res);
        printf("%g Hz\n", hz);
        fflush(stdout);
        usleep((useconds_t) (atof(argv[i + 1]) * 1e6));
    }
    return 0;
}

static int storm(Display *d, Window w, int count) {
    for (int i = 0; i < count; ++i) XResizeWindow(d, w, (unsigned) (500 + (i % 7) * 60), (unsigned) (400 + (i % 5) * 50));
    XResizeWindow(d, w, 640, 480);
    XSync(d, False);
    return 0;
}

static int vroot(Display *d, int x, int y, unsigned w, unsigned h, double seconds) {
    Window win = XCreateSimpleWindow(d, DefaultRootWindow(d), x, y, w, h, 0, 0, WhitePixel(d, DefaultScreen(d)));
    Atom a = XInternAtom(d, "__SWM_VROOT", False);
    XChangeProperty(d, win, a, XA_WINDOW, 32, PropModeReplace, (unsigned char *) &win, 1);
    XMapWindow(d, win);
    XSync(d, False);
    printf("0x%lx\n", win);
    fflush(stdout);
    usleep((useconds_t) (seconds * 1e6));
    return 0;
}

int main(int argc, char **argv) {
    Display *d = XOpenDisplay(NULL);
    if (d == NULL) return fprintf(stderr, "no display\n"), 1;
    if (argc >= 4 && strcmp(argv[1], "modes") == 0) return modes(d, argc - 2, argv + 2);
    if (argc == 4 && strcmp(argv[1], "storm") == 0) return storm(d, strtoul(argv[2], NULL, 0), atoi(argv[3]));
    if (argc == 7 && strcmp(argv[1], "vroot") == 0)
        return vroot(d, atoi(argv[2]), atoi(argv[3]), (unsigned) atoi(argv[4]), (unsigned) atoi(argv[5]), atof(argv[6]));
    fprintf(stderr, "usage: x11_poke modes HZ SECONDS... | storm WINDOW COUNT | vroot X Y W H SECONDS\n");
    return 2;
}
