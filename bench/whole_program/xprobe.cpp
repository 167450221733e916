// The hands and the stopwatch of the whole-program benchmark (whole_program.sh): starts a program
// and times it to its first window, clicks and types through the X test extension as a user would,
// times round trips of a window-manager ping through the program's event loop, and feeds a
// pseudo-terminal at a pace or as fast as it takes bytes.
//
//   xprobe start TITLE LOG PROGRAM [ARGS...]  start-up to the window TITLE... mapped, the program's
//                                          output into LOG: "pid= window= map_ms= cpu_ms="
//   xprobe wait TITLE SECONDS              the window whose name starts with TITLE, once mapped
//   xprobe click WINDOW X Y                a left click at X,Y of WINDOW
//   xprobe keys WINDOW KEY...              key strokes into WINDOW (X key names; "Alt_L+o" holds Alt)
//   xprobe click-selected WINDOW X         a click on the highlighted row crossed by column X
//   xprobe ping WINDOW SECONDS PERIOD_MS   round trips of _NET_WM_PING: "pings= lost= p50_ms= p95_ms= max_ms="
//   xprobe feed PATH BYTES_PER_S SECONDS   lines of text at that pace: "bytes="
//   xprobe flood PATH SECONDS              lines of text as fast as the line takes them: "bytes="
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

[[noreturn]] void fail(const std::string& why)
{
    std::fprintf(stderr, "xprobe: %s\n", why.c_str());
    std::exit(1);
}

Display* openDisplay()
{
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        fail("no X display (DISPLAY not set?)");
    return d;
}

std::string windowName(Display* d, Window w)
{
    XTextProperty p{};
    std::string name;
    if (XGetWMName(d, w, &p) && p.value) {
        name.assign(reinterpret_cast<const char*>(p.value), p.nitems);
        XFree(p.value);
    }
    return name;
}

bool isViewable(Display* d, Window w)
{
    XWindowAttributes a{};
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

// Without a window manager the top-level windows are the root's children.
Window findMapped(Display* d, const std::string& prefix)
{
    Window root = DefaultRootWindow(d), parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(d, root, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i)
            if (windowName(d, children[i]).rfind(prefix, 0) == 0 && isViewable(d, children[i]))
                found = children[i];
        XFree(children);
    }
    return found;
}

// Waits for a MapNotify (or a name change of a mapped window) that makes `prefix` mapped.
Window waitMapped(Display* d, const std::string& prefix, double seconds)
{
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const auto t0 = Clock::now();
    for (;;) {
        if (Window w = findMapped(d, prefix))
            return w;
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
        }
        if (msSince(t0) > seconds * 1000)
            return 0;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 5);
    }
}

long long processCpuNs(pid_t pid)
{
    // Every thread's run time, in nanoseconds (the first field of each task's schedstat).
    long long total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    while (dir) {
        const dirent* entry = readdir(dir);
        if (!entry)
            break;
        std::ifstream s(tasks + "/" + entry->d_name + "/schedstat");
        long long ns = 0;
        if (entry->d_name[0] != '.' && s >> ns)
            total += ns;
    }
    if (dir)
        closedir(dir);
    return total;
}

Window parseWindow(const char* text)
{
    return static_cast<Window>(std::strtoul(text, nullptr, 0));
}

void rootPosition(Display* d, Window w, int x, int y, int* rx, int* ry)
{
    Window child = 0;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), x, y, rx, ry, &child);
}

void clickAt(Display* d, Window w, int x, int y)
{
    int rx = 0, ry = 0;
    rootPosition(d, w, x, y, &rx, &ry);
    XTestFakeMotionEvent(d, DefaultScreen(d), rx, ry, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    XTestFakeButtonEvent(d, 1, True, CurrentTime);
    XTestFakeButtonEvent(d, 1, False, CurrentTime);
    XSync(d, False);
}

int start(int argc, char** argv)
{
    if (argc < 5)
        fail("start TITLE LOG PROGRAM [ARGS...]");
    Display* d = openDisplay();
    const std::string title = argv[2];
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        // The program outlives the probe: it must not hold the probe's output open.
        const int log = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        const int none = open("/dev/null", O_RDONLY);
        dup2(none, STDIN_FILENO);
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    const Window w = waitMapped(d, title, 60);
    const double mapMs = msSince(t0);
    const long long cpuNs = processCpuNs(pid);
    if (!w) {
        kill(pid, SIGTERM);
        fail("no window \"" + title + "\" within 60 s");
    }
    std::printf("pid=%d window=0x%lx map_ms=%.0f cpu_ms=%.0f\n", pid, w, mapMs, cpuNs / 1e6);
    return 0;
}

int wait(int argc, char** argv)
{
    if (argc < 4)
        fail("wait TITLE SECONDS");
    Display* d = openDisplay();
    const Window w = waitMapped(d, argv[2], std::atof(argv[3]));
    if (!w)
        fail(std::string("no window \"") + argv[2] + "\"");
    std::printf("0x%lx\n", w);
    return 0;
}

int click(int argc, char** argv)
{
    if (argc < 5)
        fail("click WINDOW X Y");
    Display* d = openDisplay();
    clickAt(d, parseWindow(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    return 0;
}

void keyStroke(Display* d, const std::string& stroke)
{
    std::vector<KeyCode> held;
    std::stringstream parts(stroke);
    std::string name;
    while (std::getline(parts, name, '+')) {
        const KeySym sym = XStringToKeysym(name.c_str());
        const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(d, sym);
        if (!code)
            fail("unknown key " + name);
        held.push_back(code);
    }
    for (KeyCode c : held)
        XTestFakeKeyEvent(d, c, True, CurrentTime);
    for (auto c = held.rbegin(); c != held.rend(); ++c)
        XTestFakeKeyEvent(d, *c, False, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

int keys(int argc, char** argv)
{
    if (argc < 4)
        fail("keys WINDOW KEY...");
    Display* d = openDisplay();
    XSetInputFocus(d, parseWindow(argv[2]), RevertToParent, CurrentTime);
    XSync(d, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int i = 3; i < argc; ++i)
        keyStroke(d, argv[i]);
    return 0;
}

// A selected row is drawn in the highlight colour, the one saturated band in a list of black
// text on white: the longest run of saturated pixels down column x.
int clickSelected(int argc, char** argv)
{
    if (argc < 4)
        fail("click-selected WINDOW X");
    Display* d = openDisplay();
    const Window w = parseWindow(argv[2]);
    const int x = std::atoi(argv[3]);
    XWindowAttributes a{};
    XGetWindowAttributes(d, w, &a);
    XImage* image = XGetImage(d, w, x, 0, 1, static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (!image)
        fail("cannot read the window's pixels");
    int bestStart = -1, bestLength = 0, runStart = -1;
    for (int y = 0; y <= a.height; ++y) {
        bool saturated = false;
        if (y < a.height) {
            const unsigned long p = XGetPixel(image, 0, y);
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            saturated = std::max({r, g, b}) - std::min({r, g, b}) > 60;
        }
        if (saturated && runStart < 0)
            runStart = y;
        if (!saturated && runStart >= 0) {
            if (y - runStart > bestLength) {
                bestLength = y - runStart;
                bestStart = runStart;
            }
            runStart = -1;
        }
    }
    XDestroyImage(image);
    if (bestLength < 4)
        fail("no highlighted row down that column");
    clickAt(d, w, x, bestStart + bestLength / 2);
    return 0;
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size())));
    return v[i];
}

// The window's client answers a ping by sending it back to the root window: the round trip
// measures how long the program's event loop takes to get to a new event.
int ping(int argc, char** argv)
{
    if (argc < 5)
        fail("ping WINDOW SECONDS PERIOD_MS");
    Display* d = openDisplay();
    const Window w = parseWindow(argv[2]);
    const double seconds = std::atof(argv[3]);
    const int period = std::atoi(argv[4]);
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom pingAtom = XInternAtom(d, "_NET_WM_PING", False);
    const Window root = DefaultRootWindow(d);
    // The answer goes to the clients that watch the root window's structure.
    XSelectInput(d, root, StructureNotifyMask | SubstructureNotifyMask);
    XSync(d, False);
    constexpr double kLost = 10000;  // a ping not answered within 10 s counts as 10 s
    std::vector<double> trips;
    int lost = 0;
    const auto begin = Clock::now();
    for (long serial = 1; msSince(begin) < seconds * 1000; ++serial) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(pingAtom);
        e.xclient.data.l[1] = serial;
        e.xclient.data.l[2] = static_cast<long>(w);
        const auto sent = Clock::now();
        XSendEvent(d, w, False, NoEventMask, &e);
        XFlush(d);
        bool answered = false;
        while (!answered && msSince(sent) < kLost) {
            while (XPending(d)) {
                XEvent r;
                XNextEvent(d, &r);
                if (r.type == ClientMessage && r.xclient.message_type == protocols
                    && static_cast<Atom>(r.xclient.data.l[0]) == pingAtom && r.xclient.data.l[1] == serial)
                    answered = true;
            }
            if (!answered) {
                pollfd p{ConnectionNumber(d), POLLIN, 0};
                poll(&p, 1, 2);
            }
        }
        const double trip = answered ? msSince(sent) : kLost;
        trips.push_back(trip);
        lost += answered ? 0 : 1;
        const double rest = period - trip;
        if (rest > 0)
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(rest));
    }
    std::printf("pings=%zu lost=%d p50_ms=%.1f p95_ms=%.1f max_ms=%.1f\n", trips.size(), lost,
                percentile(trips, 0.50), percentile(trips, 0.95), percentile(trips, 1.0));
    return 0;
}

// Controller-like text: numbered lines of 48 bytes ended by CR LF.
constexpr std::size_t kLineBytes = 48;

std::string textLine(unsigned n)
{
    char line[64];
    std::snprintf(line, sizeof line, "AH= %04X DH = 41 : A  riga %08u  ........\r\n", n & 0xFFFF, n);
    return std::string(line, kLineBytes);
}

int openLine(const char* path)
{
    const int fd = open(path, O_WRONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        fail(std::string("cannot open ") + path);
    return fd;
}

// Writes what it can until the deadline; returns the bytes the line took.
long long writeUntil(int fd, const std::string& data, std::size_t& at, Clock::time_point deadline)
{
    long long taken = 0;
    while (at < data.size() && Clock::now() < deadline) {
        const ssize_t n = ::write(fd, data.data() + at, data.size() - at);
        if (n > 0) {
            at += static_cast<std::size_t>(n);
            taken += n;
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(std::max<long long>(1, std::min<long long>(left, 100))));
    }
    return taken;
}

int feed(int argc, char** argv)
{
    if (argc < 5)
        fail("feed PATH BYTES_PER_S SECONDS");
    const int fd = openLine(argv[2]);
    const double rate = std::atof(argv[3]);
    const double seconds = std::atof(argv[4]);
    // One line at a time, at the pace of the rate: 20 lines a second at 960 B/s.
    const auto period = std::chrono::duration<double>(static_cast<double>(kLineBytes) / rate);
    const auto begin = Clock::now();
    const auto end = begin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long long bytes = 0;
    auto next = begin;
    for (unsigned n = 0; Clock::now() < end; ++n) {
        std::size_t at = 0;
        bytes += writeUntil(fd, textLine(n), at, end);
        next += std::chrono::duration_cast<Clock::duration>(period);
        std::this_thread::sleep_until(std::min(next, end));
    }
    close(fd);
    std::printf("bytes=%lld\n", bytes);
    return 0;
}

int flood(int argc, char** argv)
{
    if (argc < 4)
        fail("flood PATH SECONDS");
    const int fd = openLine(argv[2]);
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(std::atof(argv[3])));
    std::string block;  // 64 KiB of whole lines
    for (unsigned n = 0; block.size() + kLineBytes <= 64 * 1024; ++n)
        block += textLine(n);
    long long bytes = 0;
    while (Clock::now() < end) {
        std::size_t at = 0;
        bytes += writeUntil(fd, block, at, end);
    }
    close(fd);
    std::printf("bytes=%lld\n", bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "start") return start(argc, argv);
    if (what == "wait") return wait(argc, argv);
    if (what == "click") return click(argc, argv);
    if (what == "keys") return keys(argc, argv);
    if (what == "click-selected") return clickSelected(argc, argv);
    if (what == "ping") return ping(argc, argv);
    if (what == "feed") return feed(argc, argv);
    if (what == "flood") return flood(argc, argv);
    std::fprintf(stderr, "usage: xprobe start|wait|click|keys|click-selected|ping|feed|flood ...\n");
    return 2;
}
