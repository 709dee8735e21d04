// timetomap PROGRAM [ARG...]: starts the program on the X display and prints
// how long it took from exec until its first top-level window was mapped,
// in milliseconds, and the program's peak memory (maximum resident set) up
// to that moment, in KiB. The program is stopped once its window is mapped.

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: timetomap PROGRAM [ARG...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "timetomap: no X display\n");
        return 2;
    }
    // Top-level windows are children of the root window: their maps come here.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify)
            break;
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;

    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("%.1f %ld\n", elapsed.count(), usage.ru_maxrss);
    XCloseDisplay(display);
    return 0;
}
