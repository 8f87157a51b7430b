// Starts a program on the X display and waits for it to map a top-level window with a given title; then
// prints "shown <ms since start> <peak KiB>" and ends the program. It measures a program exactly as it is
// shipped, with nothing inside it: bench/startup.py uses it for the real trel on xcb.
//
//     map_watch "Trel - v0.48b" program [args...]

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <string>

namespace {

long PeakKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

std::string Title(xcb_connection_t* x, xcb_window_t window) {
    for (xcb_atom_t atom : {xcb_atom_t{XCB_ATOM_WM_NAME}}) {
        auto cookie = xcb_get_property(x, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(x, cookie, nullptr), &std::free);
        if (reply && xcb_get_property_value_length(reply.get()) > 0)
            return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                               static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: map_watch TITLE PROGRAM [ARGS...]\n");
        return 2;
    }
    const std::string wanted = argv[1];
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "map_watch: no X display\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    // A window may be mapped before its title is set: mapped windows are watched for their title too.
    std::set<xcb_window_t> mapped;
    int result = 1;
    const auto deadline = start + std::chrono::seconds(20);
    while (result != 0 && std::chrono::steady_clock::now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(x);
        if (!event) {
            if (xcb_connection_has_error(x))
                break;
            pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
            poll(&fd, 1, 100);
            continue;
        }
        xcb_window_t window = 0;
        switch (event->response_type & 0x7f) {
        case XCB_MAP_NOTIFY: {
            window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            mapped.insert(window);
            const uint32_t property = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(x, window, XCB_CW_EVENT_MASK, &property);
            break;
        }
        case XCB_PROPERTY_NOTIFY:
            window = reinterpret_cast<xcb_property_notify_event_t*>(event)->window;
            if (!mapped.count(window))
                window = 0;
            break;
        default:
            break;
        }
        std::free(event);
        if (window && Title(x, window) == wanted) {
            const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                                  .count();
            std::printf("shown %.1f %ld\n", ms, PeakKiB(child));
            result = 0;
        }
    }
    if (result != 0)
        std::fprintf(stderr, "map_watch: no window titled \"%s\" within 20 s\n", wanted.c_str());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    xcb_disconnect(x);
    return result;
}
