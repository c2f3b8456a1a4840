/* The benchmark's yardsticks for lumvex-k47: twelve 400 x 400 MIT-SHM images
 * put on the same 4 x 3 grid once per frame at the display's rate (60 Hz) on
 * an absolute clock. Filled once with a plain colour ramp, they measure
 * putting alone; with "fill" every image is filled anew each frame with a
 * ramp of one colour a row (what drawing the twelve pictures costs at best:
 * each pixel written once), so whatever the hack spends beyond that is the
 * cost of its gradients beyond their pixels.
 * Usage: standin SECONDS [fill]. Prints "standin: N fps" at the end. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

enum { kSize = 400, kCount = 12 };

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? atof(argv[1]) : 20;
    const int fill = argc > 2 && strcmp(argv[2], "fill") == 0;
    Display* d = XOpenDisplay(NULL);
    if (!d) return fputs("standin: no display\n", stderr), 1;
    const int screen = DefaultScreen(d);
    const Window root = RootWindow(d, screen);
    XWindowAttributes a;
    XGetWindowAttributes(d, root, &a);
    GC gc = XCreateGC(d, root, 0, NULL);
    XShmSegmentInfo info[kCount];
    XImage* image[kCount];
    for (int i = 0; i < kCount; ++i) {
        image[i] = XShmCreateImage(d, a.visual, a.depth, ZPixmap, NULL, &info[i], kSize, kSize);
        info[i].shmid = shmget(IPC_PRIVATE, image[i]->bytes_per_line * kSize, IPC_CREAT | 0600);
        info[i].shmaddr = image[i]->data = shmat(info[i].shmid, NULL, 0);
        info[i].readOnly = False;
        XShmAttach(d, &info[i]);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                ((unsigned*)image[i]->data)[y * kSize + x] = (unsigned)((x * 255 / kSize) << 16 | (y * 255 / kSize) << 8 | i * 20);
    }
    XSync(d, False);
    for (int i = 0; i < kCount; ++i) shmctl(info[i].shmid, IPC_RMID, NULL);

    const int cw = a.width / 4, ch = a.height / 3;
    const long period = 1000000000L / 60;
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    const long frames = (long)(seconds * 60);
    for (long f = 0; f < frames; ++f) {
        for (int i = 0; fill && i < kCount; ++i) {
            unsigned* pixels = (unsigned*)image[i]->data;
            const int stride = image[i]->bytes_per_line / 4;
            for (int y = 0; y < kSize; ++y) {
                const unsigned value = (unsigned)((y * 255 / kSize) << 16 | (f & 255) << 8 | i * 20);
                unsigned* row = pixels + (long)y * stride;
                for (int x = 0; x < kSize; ++x) row[x] = value;
            }
        }
        for (int i = 0; i < kCount; ++i) {
            const int x = (i % 4) * cw + (cw - kSize) / 2, y = (i / 4) * ch + (ch - kSize) / 2;
            XShmPutImage(d, root, gc, image[i], 0, 0, x, y, kSize, kSize, False);
        }
        XFlush(d);
        next.tv_nsec += period;
        if (next.tv_nsec >= 1000000000L) next.tv_nsec -= 1000000000L, ++next.tv_sec;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL);
    }
    XSync(d, False);
    for (int i = 0; i < kCount; ++i) XShmDetach(d, &info[i]), shmdt(info[i].shmaddr);
    printf("standin: %.1f fps\n", frames / seconds);
    return 0;
}
