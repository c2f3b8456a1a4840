#include "saver/x11/x11_saver_port.h"

#include "saver/x11/put_plan.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>

#include "common/number_rules.h"
#include "render/classic_colors.h"

namespace lvx::x11 {
namespace {

volatile std::sig_atomic_t g_stop = 0;
int g_wakeWrite = -1;
int g_wakeRead = -1;

void OnStopSignal(int) {
    g_stop = 1;
    if (g_wakeWrite >= 0) {
        const char byte = 1;
        [[maybe_unused]] auto n = write(g_wakeWrite, &byte, 1);
    }
}

// X errors while a request is tried (a window that is gone, MIT-SHM refused)
// are caught here instead of ending the program.
int g_xError = 0;
int TrapError(Display*, XErrorEvent* event) {
    g_xError = event->error_code;
    return 0;
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The display's refresh rate from RandR; 0 when it does not tell.
double RefreshRate(Display* display, Window root) {
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return 0;
    double rate = 0;
    if (XRRScreenResources* res = XRRGetScreenResourcesCurrent(display, root)) {
        for (int c = 0; c < res->ncrtc && rate == 0; ++c) {
            XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, res, res->crtcs[c]);
            if (crtc == nullptr) continue;
            for (int m = 0; m < res->nmode; ++m) {
                const XRRModeInfo& mode = res->modes[m];
                if (mode.id == crtc->mode && mode.hTotal != 0 && mode.vTotal != 0) {
                    rate = static_cast<double>(mode.dotClock) / (static_cast<double>(mode.hTotal) * mode.vTotal);
                }
            }
            XRRFreeCrtcInfo(crtc);
        }
        XRRFreeScreenResources(res);
    }
    if (rate <= 0) {
        if (XRRScreenConfiguration* config = XRRGetScreenInfo(display, root)) {
            rate = XRRConfigCurrentRate(config);
            XRRFreeScreenConfigInfo(config);
        }
    }
    return rate;
}

// LSBFirst or MSBFirst, as this machine keeps its words.
int HostByteOrder() {
    const uint16_t one = 1;
    unsigned char first = 0;
    std::memcpy(&first, &one, 1);
    return first == 1 ? LSBFirst : MSBFirst;
}

}  // namespace

int64_t NowMicroseconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

void InstallStopSignals() {
    int fds[2];
    if (g_wakeRead < 0 && pipe(fds) == 0) {
        for (int fd : fds) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        g_wakeRead = fds[0];
        g_wakeWrite = fds[1];
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool StopRequested() { return g_stop != 0; }

// ---- the gradient's port -------------------------------------------------

int32_t X11GradientPort::SystemColor(int32_t index) { return ClassicSystemColor(index); }

void X11GradientPort::ShowWarning(std::string_view text, std::string_view title) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(), static_cast<int>(text.size()),
                 text.data());
}

// ---- the saver's port ------------------------------------------------------

X11SaverPort::~X11SaverPort() {
    if (display_ == nullptr) return;
    FreeFrame();
    if (gc_ != nullptr) XFreeGC(display_, gc_);
    if (ownWindow_ && window_ != 0) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

bool X11SaverPort::Open(const X11Target& target, std::string& error) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) {
        const char* name = std::getenv("DISPLAY");
        error = std::string("cannot open the X display \"") + (name != nullptr ? name : "") + "\"";
        return false;
    }
    XSetErrorHandler(TrapError);
    const int screen = DefaultScreen(display_);
    const Window root = RootWindow(display_, screen);
    wakeRead_ = g_wakeRead;

    XWindowAttributes attributes{};
    if (target.kind == X11Target::Kind::Own) {
        ownWindow_ = true;
        window_ = XCreateSimpleWindow(display_, root, 0, 0, 1024, 768, 0, BlackPixel(display_, screen),
                                      BlackPixel(display_, screen));
        XStoreName(display_, window_, "Lumvex_K47");
        const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
        XChangeProperty(display_, window_, netName, utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>("Lumvex_K47"), 10);
        deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &deleteWindow_, 1);
        XSelectInput(display_, window_, KeyPressMask | StructureNotifyMask | ExposureMask);
    } else {
        window_ = target.window != 0 ? target.window : root;
        g_xError = 0;
        XSelectInput(display_, window_, StructureNotifyMask | ExposureMask);
        XSync(display_, False);
    }
    g_xError = 0;
    const Status ok = XGetWindowAttributes(display_, window_, &attributes);
    XSync(display_, False);
    if (!ok || g_xError != 0) {
        char id[32];
        std::snprintf(id, sizeof id, "0x%lx", window_);
        error = std::string("there is no window ") + id + " on this display";
        window_ = 0;
        return false;
    }
    visual_ = attributes.visual;
    depth_ = attributes.depth;
    // Any TrueColor visual shows the colours, whatever its depth and channel
    // order; the others would need a colour map of their own.
    if (visual_->c_class != TrueColor ||
        !pixels_.Set(visual_->red_mask, visual_->green_mask, visual_->blue_mask)) {
        static const char* const kClasses[] = {"StaticGray", "GrayScale", "StaticColor",
                                               "PseudoColor", "TrueColor", "DirectColor"};
        const int c = visual_->c_class;
        error = std::string("the window's visual (") + (c >= 0 && c < 6 ? kClasses[c] : "unknown") + ", depth " +
                std::to_string(depth_) + ") cannot show the pictures' colours: a TrueColor visual is needed";
        return false;
    }
    width_ = attributes.width;
    height_ = attributes.height;
    gc_ = XCreateGC(display_, window_, 0, nullptr);

    int major = 0, minor = 0;
    Bool pixmaps = False;
    // Asked first so that Xlib does not warn about a display without it.
    int opcode = 0, firstEvent = 0, firstError = 0;
    shmAvailable_ = XQueryExtension(display_, "MIT-SHM", &opcode, &firstEvent, &firstError) &&
                    XShmQueryVersion(display_, &major, &minor, &pixmaps) == True;
    if (!MakeFrame(error)) return false;

    refreshHz_ = RefreshRate(display_, root);
    if (!(refreshHz_ >= 1 && refreshHz_ <= 1000)) refreshHz_ = 60;
    SetPacing(-1);
    return true;
}

bool X11SaverPort::LookUpColour(const std::string& name, int32_t& color) {
    XColor c{};
    if (!XParseColor(display_, DefaultColormap(display_, DefaultScreen(display_)), name.c_str(), &c)) return false;
    color = (c.red >> 8) + (c.green >> 8) * 256 + (c.blue >> 8) * 65536;
    return true;
}

void X11SaverPort::SetPacing(long delayMicroseconds) {
    periodUs_ = delayMicroseconds >= 0 ? delayMicroseconds : static_cast<int64_t>(std::llround(1e6 / refreshHz_));
    clockStartUs_ = NowMicroseconds();
    nextFrameUs_ = clockStartUs_ + periodUs_;
    nextTickUs_ = clockStartUs_ + 1'000'000;
}

void X11SaverPort::SetFpsReport(bool on, int64_t startMicroseconds) {
    fps_ = on;
    startUs_ = startMicroseconds;
    fpsWindowUs_ = NowMicroseconds();
    fpsCpu_ = ProcessCpuSeconds();
}

bool X11SaverPort::MakeFrame(std::string& error) {
    FreeFrame();
    const int32_t w = std::max(width_, 1), h = std::max(height_, 1);
    if (shmAvailable_) {
        image_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &shmInfo_,
                                 static_cast<unsigned>(w), static_cast<unsigned>(h));
        if (image_ != nullptr) {
            shmInfo_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image_->bytes_per_line) * h, IPC_CREAT | 0600);
            void* memory = shmInfo_.shmid >= 0 ? shmat(shmInfo_.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
            bool attached = false;
            if (memory != reinterpret_cast<void*>(-1)) {
                shmInfo_.shmaddr = image_->data = static_cast<char*>(memory);
                shmInfo_.readOnly = False;
                g_xError = 0;
                attached = XShmAttach(display_, &shmInfo_) && (XSync(display_, False), g_xError == 0);
            }
            // Marked for removal at once: the segment goes with the last
            // detach, even when the process is killed.
            if (shmInfo_.shmid >= 0) shmctl(shmInfo_.shmid, IPC_RMID, nullptr);
            if (attached) {
                shm_ = true;
            } else {
                if (memory != reinterpret_cast<void*>(-1)) shmdt(memory);
                image_->data = nullptr;
                XDestroyImage(image_);
                image_ = nullptr;
                shmAvailable_ = false;  // e.g. a remote display
            }
        }
    }
    if (image_ == nullptr) {
        image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
        char* data = image_ != nullptr
                         ? static_cast<char*>(std::malloc(static_cast<size_t>(image_->bytes_per_line) * h))
                         : nullptr;
        if (data != nullptr) {
            image_->data = data;
        } else if (image_ != nullptr) {
            XDestroyImage(image_);
            image_ = nullptr;
        }
    }
    // The compositor paints 0x00RRGGBB: straight into the image where the
    // visual stores exactly that, else into memory of its own that Put turns
    // into the visual's pixels.
    const bool native = pixels_.Identity() && image_ != nullptr && image_->bits_per_pixel == 32 &&
                        image_->byte_order == HostByteOrder();
    bool made = image_ != nullptr;
    if (made && !native) {
        try {
            composed_.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        } catch (const std::exception&) {
            made = false;
        }
    }
    if (!made) {
        error = "cannot make a " + std::to_string(w) + " x " + std::to_string(h) + " picture for the window";
        return false;
    }
    frame_ = native ? PixelSurface{reinterpret_cast<uint32_t*>(image_->data), w, h, image_->bytes_per_line / 4}
                    : PixelSurface{composed_.data(), w, h, w};
    needFill_ = true;
    fullPut_ = true;
    Fill();
    return true;
}

void X11SaverPort::FreeFrame() {
    frame_ = {};
    composed_ = {};
    if (image_ == nullptr) return;
    if (shm_) {
        XShmDetach(display_, &shmInfo_);
        XSync(display_, False);
        shmdt(shmInfo_.shmaddr);
        image_->data = nullptr;
        shm_ = false;
    }
    XDestroyImage(image_);
    image_ = nullptr;
}

void X11SaverPort::ScreenTwips(double& width, double& height) {
    width = width_ * 15.0;
    height = height_ * 15.0;
}

void X11SaverPort::TwipsPerPixel(double& x, double& y) { x = y = 15.0; }

void X11SaverPort::SetBackColor(int32_t color) {
    back_ = color;
    // Shown with the next pass, which draws every picture over it.
    needFill_ = true;
    fullPut_ = true;
}

void X11SaverPort::ShowWindowNormal() {
    if (ownWindow_) XMapWindow(display_, window_);
    XFlush(display_);
}

void X11SaverPort::UnloadWindow() {
    closed_ = true;
    if (ownWindow_) XUnmapWindow(display_, window_);
    XFlush(display_);
}

void X11SaverPort::ReadMonitors(std::vector<ScreenRect>& monitors, ScreenRect& primary) {
    primary = ScreenRect{0, 0, width_, height_};
    monitors = {primary};
}

void X11SaverPort::CreatePicture(int index) {
    if (index <= 0 || index >= kPictureSlots) return;
    Picture& p = pictures_[static_cast<size_t>(index)];
    const Picture& first = pictures_[0];
    p.exists = true;
    p.ellipse = first.ellipse;
    p.size = first.size;
    p.x = first.x;
    p.y = first.y;
    needFill_ = fullPut_ = true;
}

void X11SaverPort::SizePicture(int index, int32_t size) {
    if (index < 0 || index >= kPictureSlots) return;
    Picture& p = pictures_[static_cast<size_t>(index)];
    p.exists = true;
    p.size = std::max<int32_t>(size, 0);
    needFill_ = fullPut_ = true;
}

int32_t X11SaverPort::SetPictureEllipse(int index, int32_t) {
    if (index < 0 || index >= kPictureSlots) return 0;
    Picture& p = pictures_[static_cast<size_t>(index)];
    p.ellipse = true;
    needFill_ = fullPut_ = true;
    return 1;
}

void X11SaverPort::MovePicture(int index, double left, double top) {
    if (index < 0 || index >= kPictureSlots) return;
    // Whole pixels, halves to the even neighbour, as on Windows.
    const auto x = NearestInt32(left);
    const auto y = NearestInt32(top);
    if (!x || !y) return;
    Picture& p = pictures_[static_cast<size_t>(index)];
    p.x = *x;
    p.y = *y;
    needFill_ = fullPut_ = true;
}

// Drawn one by one, a picture finds no surface (see X11GradientPort): the
// pass comes whole to DrawPass.
GradientTarget& X11SaverPort::PictureTarget(int) { return noSurface_; }

void X11SaverPort::RefreshPicture(int) { dirty_ = true; }

bool X11SaverPort::DrawPass(float angle, const std::array<int32_t, kPictureSlots>& color1,
                            const std::array<int32_t, kPictureSlots>& color2, int count) {
    scene_.backColor = back_;
    scene_.angle = angle;
    scene_.shape = pictures_[0].ellipse ? PictureShape::Circle : PictureShape::Square;
    scene_.pictures.clear();
    for (int i = 0; i < std::clamp(count, 0, kPictureSlots); ++i) {
        const Picture& p = pictures_[static_cast<size_t>(i)];
        const auto k = static_cast<size_t>(i);
        scene_.pictures.push_back({p.x, p.y, p.exists ? p.size : 0, color1[k], color2[k]});
    }
    // The background only when something moved or changed colour: otherwise
    // the pictures cover exactly what they covered in the last pass.
    if (frame_.topRow != nullptr) composer_.Compose(frame_, scene_, needFill_);
    needFill_ = false;
    dirty_ = true;
    return true;
}

void X11SaverPort::Fill() {
    if (frame_.topRow == nullptr) return;
    FrameScene empty;
    empty.backColor = back_;
    composer_.Compose(frame_, empty, true);
}

void X11SaverPort::Put(int32_t x, int32_t y, int32_t w, int32_t h) {
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = std::min(w, width_ - x);
    h = std::min(h, height_ - y);
    if (w <= 0 || h <= 0) return;
    if (!composed_.empty()) {
        // Into the visual's pixels, as far as the put reaches.
        const bool host = image_->byte_order == HostByteOrder();
        for (int32_t row = y; row < y + h; ++row) {
            const uint32_t* from = frame_.Row(row) + x;
            char* line = image_->data + static_cast<std::ptrdiff_t>(row) * image_->bytes_per_line;
            if (host && image_->bits_per_pixel == 32) {
                pixels_.Row(from, reinterpret_cast<uint32_t*>(line) + x, w);
            } else if (host && image_->bits_per_pixel == 16) {
                pixels_.Row(from, reinterpret_cast<uint16_t*>(line) + x, w);
            } else {
                for (int32_t i = 0; i < w; ++i) XPutPixel(image_, x + i, row, pixels_(from[i]));
            }
        }
    }
    const auto uw = static_cast<unsigned>(w), uh = static_cast<unsigned>(h);
    if (shm_) {
        XShmPutImage(display_, window_, gc_, image_, x, y, x, y, uw, uh, False);
    } else {
        XPutImage(display_, window_, gc_, image_, x, y, x, y, uw, uh);
    }
}

void X11SaverPort::Present() {
    if (closed_ || image_ == nullptr) return;
    if (fullPut_) {
        Put(0, 0, width_, height_);
    } else {
        std::vector<x11::PutRect> shown;
        for (const Picture& p : pictures_) {
            if (p.exists) shown.push_back({p.x, p.y, p.size, p.size});
        }
        // Whole rows only pay through shared memory: a plain put sends its
        // pixels over the connection, and the gaps with them.
        for (const x11::PutRect& r : x11::PlanPuts(width_, height_, shown, shm_)) Put(r.x, r.y, r.width, r.height);
    }
    fullPut_ = false;
    dirty_ = false;
    if (!firstShown_) {
        firstShown_ = true;
        // On screen once the server has done it.
        XSync(display_, False);
        if (fps_) {
            std::fprintf(stderr, "%s: first frame %.1f ms after start\n", "lumvex-k47",
                         static_cast<double>(NowMicroseconds() - startUs_) / 1000.0);
        }
    } else {
        XFlush(display_);
    }
}

void X11SaverPort::ReportFps() {
    ++fpsFrames_;
    const int64_t now = NowMicroseconds();
    if (now - fpsWindowUs_ < 1'000'000) return;
    const double seconds = static_cast<double>(now - fpsWindowUs_) / 1e6;
    const double cpu = ProcessCpuSeconds();
    std::fprintf(stderr, "lumvex-k47: %.1f fps, %.1f%% CPU\n", static_cast<double>(fpsFrames_) / seconds,
                 100.0 * (cpu - fpsCpu_) / seconds);
    fpsFrames_ = 0;
    fpsWindowUs_ = now;
    fpsCpu_ = cpu;
}

void X11SaverPort::PassDrawn(uint64_t) {
    Present();
    if (fps_) ReportFps();
}

SaverPort::Wake X11SaverPort::WaitFrameOrEvents(bool frameWanted) {
    // The first picture (drawn before the loop) goes out at once.
    if (dirty_) Present();
    for (;;) {
        if (StopRequested() || closed_) return Wake::Events;
        if (XPending(display_) > 0) return Wake::Events;
        const int64_t now = NowMicroseconds();
        if (now >= nextTickUs_) return Wake::Events;
        if (frameWanted && now >= nextFrameUs_) {
            // On the frame grid: a late frame takes the next slot, never a
            // burst of catch-up frames, and the grid does not drift.
            nextFrameUs_ += periodUs_;
            if (nextFrameUs_ <= now && periodUs_ > 0) {
                nextFrameUs_ = clockStartUs_ + ((now - clockStartUs_) / periodUs_ + 1) * periodUs_;
            }
            return Wake::Frame;
        }
        const int64_t until = frameWanted ? std::min(nextFrameUs_, nextTickUs_) : nextTickUs_;
        pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int timeoutMs = static_cast<int>(std::max<int64_t>(0, (until - now + 999) / 1000));
        if (until - now < 1000) {
            // Under a millisecond: poll cannot wait that finely.
            timespec rest{0, static_cast<long>((until - now) * 1000)};
            nanosleep(&rest, nullptr);
            continue;
        }
        poll(fds, wakeRead_ >= 0 ? 2 : 1, timeoutMs);
    }
}

void X11SaverPort::Resized(int32_t w, int32_t h) {
    if (w == width_ && h == height_) return;
    width_ = w;
    height_ = h;
    std::string error;
    if (!MakeFrame(error)) {
        std::fprintf(stderr, "lumvex-k47: %s\n", error.c_str());
        closed_ = true;
        return;
    }
    if (saver_ != nullptr && sizeFor_) {
        saver_->Screen_Resized(static_cast<int16_t>(std::min(w, 32767)), static_cast<int16_t>(std::min(h, 32767)),
                               sizeFor_(w));
    }
    fullPut_ = true;
}

void X11SaverPort::PumpEvents() {
    while (!closed_ && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        switch (event.type) {
            case ConfigureNotify:
                if (event.xconfigure.window == window_) Resized(event.xconfigure.width, event.xconfigure.height);
                break;
            case Expose:
                fullPut_ = true;
                dirty_ = true;
                break;
            case KeyPress:
                if (ownWindow_) {
                    const KeySym key = XLookupKeysym(&event.xkey, 0);
                    if ((key == XK_q || key == XK_Q || key == XK_Escape) && saver_ != nullptr) saver_->End_Saver();
                }
                break;
            case ClientMessage:
                if (ownWindow_ && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_ && saver_ != nullptr) {
                    saver_->End_Saver();
                }
                break;
            case DestroyNotify:
                // The window we were given is gone: nothing left to draw on.
                if (event.xdestroywindow.window == window_) {
                    closed_ = true;
                    if (saver_ != nullptr) saver_->End_Saver();
                }
                break;
            default:
                break;
        }
    }
    if (StopRequested() && saver_ != nullptr && !saver_->Ended()) saver_->End_Saver();
    if (wakeRead_ >= 0) {
        char drain[16];
        while (read(wakeRead_, drain, sizeof drain) > 0) {
        }
    }
    const int64_t now = NowMicroseconds();
    while (now >= nextTickUs_) {
        nextTickUs_ += 1'000'000;
        if (saver_ != nullptr && !saver_->Ended()) saver_->Timer3_Timer();
    }
}

uint64_t X11SaverPort::ClockReading() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    const uint64_t day = static_cast<uint64_t>(tv.tv_sec) * 1'000'000 + static_cast<uint64_t>(tv.tv_usec);
    return day ^ (static_cast<uint64_t>(NowMicroseconds()) * 0x9E3779B97F4A7C15ULL);
}

}  // namespace lvx::x11
