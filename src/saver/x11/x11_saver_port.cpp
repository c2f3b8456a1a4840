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

// The rate of a mode; 0 when it does not tell.
double ModeRate(const XRRModeInfo& mode) {
    if (mode.hTotal == 0 || mode.vTotal == 0) return 0;
    double lines = mode.vTotal;
    if (mode.modeFlags & RR_DoubleScan) lines *= 2;
    if (mode.modeFlags & RR_Interlace) lines /= 2;
    return static_cast<double>(mode.dotClock) / (static_cast<double>(mode.hTotal) * lines);
}

// Every CRTC that shows something, with its refresh rate; for a server
// without CRTCs, the screen as one monitor at the rate it reports.
std::vector<hack::Monitor> ReadMonitorRates(Display* display, Window root) {
    std::vector<hack::Monitor> monitors;
    if (XRRScreenResources* res = XRRGetScreenResourcesCurrent(display, root)) {
        for (int c = 0; c < res->ncrtc; ++c) {
            XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, res, res->crtcs[c]);
            if (crtc == nullptr) continue;
            if (crtc->mode != None && crtc->noutput > 0 && crtc->width > 0 && crtc->height > 0) {
                hack::Monitor m{crtc->x, crtc->y, static_cast<int32_t>(crtc->width), static_cast<int32_t>(crtc->height), 0};
                for (int i = 0; i < res->nmode; ++i) {
                    if (res->modes[i].id == crtc->mode) m.hz = ModeRate(res->modes[i]);
                }
                monitors.push_back(m);
            }
            XRRFreeCrtcInfo(crtc);
        }
        XRRFreeScreenResources(res);
    }
    if (monitors.empty()) {
        if (XRRScreenConfiguration* config = XRRGetScreenInfo(display, root)) {
            const int screen = DefaultScreen(display);
            monitors.push_back({0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen),
                                static_cast<double>(XRRConfigCurrentRate(config))});
            XRRFreeScreenConfigInfo(config);
        }
    }
    return monitors;
}

// The window a virtual-root window manager draws the desktop in, named by
// __SWM_VROOT on one of the root's children; the root when there is none.
Window VirtualRoot(Display* display, Window root) {
    const Atom vroot = XInternAtom(display, "__SWM_VROOT", False);
    Window found = 0;
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, children[i], vroot, 0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                                   &data) == Success &&
                type == XA_WINDOW && format == 32 && items == 1 && data != nullptr) {
                found = *reinterpret_cast<Window*>(data);
            }
            if (data != nullptr) XFree(data);
        }
        if (children != nullptr) XFree(children);
    }
    return found != 0 ? found : root;
}

// The visual -visual names for a window of our own: the default, the
// deepest TrueColor one up to 30 bits ("best", "truecolor") or one by id.
bool ChooseVisual(Display* display, int screen, const std::string& name, Visual*& visual, int& depth,
                  std::string& error) {
    visual = DefaultVisual(display, screen);
    depth = DefaultDepth(display, screen);
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower.empty() || lower == "default") return true;
    XVisualInfo want{};
    long mask = VisualScreenMask;
    want.screen = screen;
    char* end = nullptr;
    const unsigned long id = std::strtoul(name.c_str(), &end, 0);
    if (end != name.c_str() && *end == '\0') {
        want.visualid = id;
        mask |= VisualIDMask;
    } else if (lower == "best" || lower == "truecolor") {
        want.c_class = TrueColor;
        mask |= VisualClassMask;
    } else {
        error = "no visual \"" + name + "\" (default, best, truecolor or a visual id)";
        return false;
    }
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, mask, &want, &count);
    const XVisualInfo* best = nullptr;
    for (int i = 0; i < count; ++i) {
        if (found[i].depth > 30) continue;
        if (best == nullptr || found[i].depth > best->depth) best = &found[i];
    }
    if (best == nullptr && (mask & VisualIDMask) && count > 0) best = &found[0];
    if (best != nullptr) {
        visual = best->visual;
        depth = best->depth;
    } else {
        error = "no visual \"" + name + "\" on this screen";
    }
    if (found != nullptr) XFree(found);
    return best != nullptr;
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
    // A parent that ignores SIGINT (a shell's background job) means it.
    struct sigaction former {};
    if (sigaction(SIGINT, nullptr, &former) == 0 && former.sa_handler != SIG_IGN) sigaction(SIGINT, &action, nullptr);
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
    if (overlayGc_ != nullptr) XFreeGC(display_, overlayGc_);
    if (font_ != nullptr) XFreeFont(display_, font_);
    if (ownWindow_ && window_ != 0) XDestroyWindow(display_, window_);
    if (colormap_ != 0) XFreeColormap(display_, colormap_);
    XCloseDisplay(display_);
}

bool X11SaverPort::Open(const X11Target& target, std::string& error) {
    display_ = XOpenDisplay(target.display.empty() ? nullptr : target.display.c_str());
    if (display_ == nullptr) {
        const char* name = target.display.empty() ? std::getenv("DISPLAY") : target.display.c_str();
        error = std::string("cannot open the X display \"") + (name != nullptr ? name : "") + "\"";
        return false;
    }
    XSetErrorHandler(TrapError);
    const int screen = DefaultScreen(display_);
    const Window root = RootWindow(display_, screen);
    root_ = root;
    wakeRead_ = g_wakeRead;

    XWindowAttributes attributes{};
    if (target.kind == X11Target::Kind::Own) {
        if (!OpenOwnWindow(target, root, error)) return false;
    } else {
        window_ = target.kind == X11Target::Kind::Given ? target.window : VirtualRoot(display_, root);
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

    // Monitors that come, go or change their mode are followed.
    int rrError = 0;
    randr_ = XRRQueryExtension(display_, &randrEvent_, &rrError) != False;
    if (randr_) XRRSelectInput(display_, root, RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    SetPacing(hack::kDefaultDelayMicroseconds);
    return true;
}

bool X11SaverPort::OpenOwnWindow(const X11Target& target, Window root, std::string& error) {
    const int screen = DefaultScreen(display_);
    Visual* visual = nullptr;
    int depth = 0;
    if (!ChooseVisual(display_, screen, target.visual, visual, depth, error)) return false;
    int x = 0, y = 0;
    unsigned int w = 1024, h = 768;
    int flags = 0;
    if (!target.geometry.empty()) {
        flags = XParseGeometry(target.geometry.c_str(), &x, &y, &w, &h);
        if (flags == NoValue || w == 0 || h == 0 || w > 32767 || h > 32767) {
            error = "-geometry takes WIDTHxHEIGHT+X+Y, not \"" + target.geometry + "\"";
            return false;
        }
        if (flags & XNegative) x += DisplayWidth(display_, screen) - static_cast<int>(w);
        if (flags & YNegative) y += DisplayHeight(display_, screen) - static_cast<int>(h);
    }
    XSetWindowAttributes set{};
    unsigned long mask = CWBackPixel | CWBorderPixel;
    if (visual != DefaultVisual(display_, screen)) {
        colormap_ = XCreateColormap(display_, root, visual, AllocNone);
        set.colormap = colormap_;
        mask |= CWColormap;
    }
    ownWindow_ = true;
    window_ = XCreateWindow(display_, root, x, y, w, h, 0, depth, InputOutput, visual, mask, &set);
    XSizeHints hints{};
    hints.flags = ((flags & (XValue | YValue)) ? USPosition : 0) | ((flags & (WidthValue | HeightValue)) ? USSize : 0);
    hints.x = x;
    hints.y = y;
    hints.width = static_cast<int>(w);
    hints.height = static_cast<int>(h);
    XSetWMNormalHints(display_, window_, &hints);
    XStoreName(display_, window_, "Lumvex_K47");
    const Atom netName = XInternAtom(display_, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window_, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>("Lumvex_K47"), 10);
    deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindow_, 1);
    XSelectInput(display_, window_, KeyPressMask | StructureNotifyMask | ExposureMask);
    return true;
}

void X11SaverPort::FollowRefresh() {
    if (display_ == nullptr || window_ == 0) return;
    int x = 0, y = 0;
    Window child = 0;
    if (window_ != root_) XTranslateCoordinates(display_, window_, root_, 0, 0, &x, &y, &child);
    const std::vector<hack::Monitor> monitors = randr_ ? ReadMonitorRates(display_, root_) : std::vector<hack::Monitor>{};
    refreshHz_ = hack::RefreshOfArea(monitors, x, y, width_, height_);
    const int64_t period = hack::PassPeriodMicroseconds(refreshHz_, delayUs_);
    if (period == periodUs_) return;
    // A new grid from now: the next frame no later than one new period.
    periodUs_ = period;
    const int64_t now = NowMicroseconds();
    clockStartUs_ = now;
    nextFrameUs_ = std::min(nextFrameUs_, now + periodUs_);
}

bool X11SaverPort::LookUpColour(const std::string& name, int32_t& color) {
    XColor c{};
    if (!XParseColor(display_, DefaultColormap(display_, DefaultScreen(display_)), name.c_str(), &c)) return false;
    color = (c.red >> 8) + (c.green >> 8) * 256 + (c.blue >> 8) * 65536;
    return true;
}

void X11SaverPort::SetPacing(long delayMicroseconds) {
    delayUs_ = std::max(delayMicroseconds, 0L);
    // Unset, so that the grid is laid from now with the period found.
    periodUs_ = 0;
    clockStartUs_ = NowMicroseconds();
    nextFrameUs_ = INT64_MAX;
    nextTickUs_ = clockStartUs_ + 1'000'000;
    FollowRefresh();
}

void X11SaverPort::SetFrameRateReport(bool stderrStats, bool overlay, int64_t startMicroseconds) {
    fps_ = stderrStats;
    overlay_ = overlay;
    startUs_ = startMicroseconds;
    fpsWindowUs_ = NowMicroseconds();
    fpsCpu_ = ProcessCpuSeconds();
    if (overlay_ && display_ != nullptr && window_ != 0 && overlayGc_ == nullptr) {
        font_ = XLoadQueryFont(display_, "fixed");
        overlayGc_ = XCreateGC(display_, window_, 0, nullptr);
        if (font_ != nullptr) XSetFont(display_, overlayGc_, font_->fid);
        // White text on black in any TrueColor visual: all colour bits, none.
        const unsigned long white = visual_ != nullptr && visual_->c_class == TrueColor
                                        ? visual_->red_mask | visual_->green_mask | visual_->blue_mask
                                        : WhitePixel(display_, DefaultScreen(display_));
        XSetForeground(display_, overlayGc_, white);
        XSetBackground(display_, overlayGc_, 0);
    }
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
    FreeTiles();
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
    if (needFill_) MakeTiles();
    if (!tiles_.empty()) {
        composer_.ComposeRegions(regions_, scene_, needFill_);
    } else if (frame_.topRow != nullptr) {
        composer_.Compose(frame_, scene_, needFill_);
    }
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

void X11SaverPort::FreeTiles() {
    for (Tile& t : tiles_) {
        if (t.image == nullptr) continue;
        // The memory is the frame's: only the header goes.
        t.image->data = nullptr;
        XDestroyImage(t.image);
    }
    tiles_.clear();
    regions_.clear();
}

void X11SaverPort::MakeTiles() {
    // The server may not have read the last puts from this memory yet: laid
    // out anew, it would read the new layout's pixels into the old places.
    if (shm_) XSync(display_, False);
    FreeTiles();
    if (image_ == nullptr || frame_.topRow == nullptr) return;
    const bool native = composed_.empty();
    uint32_t* painted = native ? reinterpret_cast<uint32_t*>(image_->data) : composed_.data();
    const size_t pixelRoom = static_cast<size_t>(frame_.width) * static_cast<size_t>(frame_.height);
    const size_t byteRoom = static_cast<size_t>(image_->bytes_per_line) * static_cast<size_t>(image_->height);
    size_t pixels = 0, bytes = 0;
    for (const Picture& p : pictures_) {
        if (!p.exists || p.size <= 1) continue;
        const int64_t x0 = std::max<int64_t>(p.x, 0), y0 = std::max<int64_t>(p.y, 0);
        const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(p.x) + p.size, width_);
        const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(p.y) + p.size, height_);
        if (x0 >= x1 || y0 >= y1) continue;
        const auto w = static_cast<int32_t>(x1 - x0), h = static_cast<int32_t>(y1 - y0);
        XImage* image = shm_ ? XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                                               &shmInfo_, static_cast<unsigned>(w), static_cast<unsigned>(h))
                             : XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                                            static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
        if (image == nullptr) return FreeTiles();
        tiles_.push_back({static_cast<int32_t>(x0), static_cast<int32_t>(y0), w, h, image});
        const size_t area = static_cast<size_t>(w) * static_cast<size_t>(h);
        const size_t imageBytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(h);
        // Pictures larger than the frame's memory together, or an image row
        // that is not the painted row: the frame is put whole instead.
        if (pixels + area > pixelRoom || bytes + imageBytes > byteRoom ||
            (native && static_cast<size_t>(image->bytes_per_line) != 4 * static_cast<size_t>(w))) {
            return FreeTiles();
        }
        image->data = image_->data + bytes;
        regions_.push_back({PixelSurface{painted + pixels, w, h, w}, static_cast<int32_t>(x0), static_cast<int32_t>(y0)});
        pixels += area;
        bytes += imageBytes;
    }
}

void X11SaverPort::FillAroundTiles() {
    Region around = XCreateRegion();
    XRectangle whole{0, 0, static_cast<unsigned short>(std::min(width_, 65535)),
                     static_cast<unsigned short>(std::min(height_, 65535))};
    XUnionRectWithRegion(&whole, around, around);
    for (const Tile& t : tiles_) {
        Region tile = XCreateRegion();
        XRectangle r{static_cast<short>(t.x), static_cast<short>(t.y), static_cast<unsigned short>(t.width),
                     static_cast<unsigned short>(t.height)};
        XUnionRectWithRegion(&r, tile, tile);
        XSubtractRegion(around, tile, around);
        XDestroyRegion(tile);
    }
    XSetRegion(display_, gc_, around);
    XSetForeground(display_, gc_, pixels_(PixelOf(back_)));
    XFillRectangle(display_, window_, gc_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_));
    XSetClipMask(display_, gc_, None);
    XDestroyRegion(around);
}

void X11SaverPort::Put(int32_t x, int32_t y, int32_t w, int32_t h) {
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = std::min(w, width_ - x);
    h = std::min(h, height_ - y);
    if (w <= 0 || h <= 0) return;
    PutRows(image_, frame_.topRow, static_cast<int32_t>(frame_.rowStep), x, y, x, y, w, h);
}

void X11SaverPort::PutRows(XImage* image, const uint32_t* painted, int32_t stride, int32_t srcX, int32_t srcY,
                           int32_t dstX, int32_t dstY, int32_t w, int32_t h) {
    if (!composed_.empty()) {
        // Into the visual's pixels, as far as the put reaches.
        const bool host = image->byte_order == HostByteOrder();
        for (int32_t row = srcY; row < srcY + h; ++row) {
            const uint32_t* from = painted + static_cast<std::ptrdiff_t>(row) * stride + srcX;
            char* line = image->data + static_cast<std::ptrdiff_t>(row) * image->bytes_per_line;
            if (host && image->bits_per_pixel == 32) {
                pixels_.Row(from, reinterpret_cast<uint32_t*>(line) + srcX, w);
            } else if (host && image->bits_per_pixel == 16) {
                pixels_.Row(from, reinterpret_cast<uint16_t*>(line) + srcX, w);
            } else {
                for (int32_t i = 0; i < w; ++i) XPutPixel(image, srcX + i, row, pixels_(from[i]));
            }
        }
    }
    const auto uw = static_cast<unsigned>(w), uh = static_cast<unsigned>(h);
    if (shm_) {
        XShmPutImage(display_, window_, gc_, image, srcX, srcY, dstX, dstY, uw, uh, False);
    } else {
        XPutImage(display_, window_, gc_, image, srcX, srcY, dstX, dstY, uw, uh);
    }
}

void X11SaverPort::Present() {
    if (closed_ || image_ == nullptr) return;
    if (!tiles_.empty()) {
        if (fullPut_) FillAroundTiles();
        for (size_t i = 0; i < tiles_.size(); ++i) {
            const Tile& t = tiles_[i];
            PutRows(t.image, regions_[i].surface.topRow, t.width, 0, 0, t.x, t.y, t.width, t.height);
        }
    } else if (fullPut_) {
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
    lastFps_ = static_cast<double>(fpsFrames_) / seconds;
    if (fps_) std::fprintf(stderr, "lumvex-k47: %.1f fps, %.1f%% CPU\n", lastFps_, 100.0 * (cpu - fpsCpu_) / seconds);
    fpsFrames_ = 0;
    fpsWindowUs_ = now;
    fpsCpu_ = cpu;
}

void X11SaverPort::DrawFrameRate() {
    if (closed_ || overlayGc_ == nullptr) return;
    // Bottom left, over the picture just put, as XScreenSaver's hacks show it.
    char text[32];
    const int n = std::snprintf(text, sizeof text, "FPS: %.1f", lastFps_);
    const int descent = font_ != nullptr ? font_->descent : 3;
    XDrawImageString(display_, window_, overlayGc_, 8, height_ - 8 - descent, text, n);
    // Right behind the put, so that a picture under the corner is not shown
    // without it for long.
    XFlush(display_);
}

void X11SaverPort::PassDrawn(uint64_t passes) {
    Present();
    if (passes == 1) {
        // The rate is counted from the first pass, not from the start-up.
        fpsWindowUs_ = NowMicroseconds();
        fpsCpu_ = ProcessCpuSeconds();
        fpsFrames_ = 0;
        if (overlay_) DrawFrameRate();
        return;
    }
    if (fps_ || overlay_) ReportFps();
    if (overlay_) DrawFrameRate();
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
        // Nothing left to draw in: the saver ends here, and the program with 1.
        std::fprintf(stderr, "lumvex-k47: %s\n", error.c_str());
        failed_ = true;
        closed_ = true;
        if (saver_ != nullptr) saver_->End_Saver();
        return;
    }
    if (saver_ != nullptr && sizeFor_) {
        saver_->Screen_Resized(static_cast<int16_t>(std::min(w, 32767)), static_cast<int16_t>(std::min(h, 32767)),
                               sizeFor_(w));
    }
    fullPut_ = true;
}

void X11SaverPort::PumpEvents() {
    // Of a run of resizes only the last size is served; a stop request is
    // looked at between any two events.
    bool resized = false, moved = false;
    int32_t newWidth = width_, newHeight = height_;
    while (!closed_ && !StopRequested() && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (randr_ && (event.type == randrEvent_ + RRScreenChangeNotify || event.type == randrEvent_ + RRNotify)) {
            if (event.type == randrEvent_ + RRScreenChangeNotify) XRRUpdateConfiguration(&event);
            moved = true;
            continue;
        }
        switch (event.type) {
            case ConfigureNotify:
                if (event.xconfigure.window == window_) {
                    newWidth = event.xconfigure.width;
                    newHeight = event.xconfigure.height;
                    resized = true;
                    moved = true;
                }
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
    if (resized && !closed_ && !StopRequested()) Resized(newWidth, newHeight);
    if (moved && !closed_ && !StopRequested()) FollowRefresh();
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
