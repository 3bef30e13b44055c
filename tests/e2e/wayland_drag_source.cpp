// SPDX-License-Identifier: GPL-3.0-or-later
// Another Wayland program dragging text onto whatever lies under the pointer. It shows a window
// that covers the monitor, so the test need not know where the compositor puts it, and starts a
// drag of the file's text when the left button is pressed in it. Its window then lets the
// pointer through to the window below, which the drag goes to. It serves the text for as long
// as it is read, and ends when the compositor says how the drag ended.
//
// It prints one line for each step, which the test waits on:
//   shown WIDTHxHEIGHT            its window is on the monitor
//   pointer at X Y                the pointer came into its window, at that point of it
//   dragging                      the drag has begun
//   sent N bytes[: REASON]        the target read so much of the text; why it stopped early
//   finished: taken by ACTION     the target took the drop ("copy" or "move")
//   cancelled: the source keeps its text
//
// Usage: wayland_drag_source FILE
#include "xdg-shell-client.h"

#include <wayland-client.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr const char *TextTypes[] = {"text/plain;charset=utf-8", "text/plain"};
constexpr uint32_t LeftButton = 0x110;

struct Source
{
    std::string text;
    wl_compositor *compositor = nullptr;
    wl_shm *shm = nullptr;
    wl_seat *seat = nullptr;
    wl_data_device_manager *dataDeviceManager = nullptr;
    xdg_wm_base *shell = nullptr;
    wl_surface *surface = nullptr;
    wl_pointer *pointer = nullptr;
    wl_data_device *dataDevice = nullptr;
    wl_data_source *dataSource = nullptr;
    int width = 0;
    int height = 0;
    bool shown = false;
    uint32_t action = WL_DATA_DEVICE_MANAGER_DND_ACTION_NONE;
    bool ended = false;
};

void say(const char *format, auto... values)
{
    std::printf(format, values...);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "wayland_drag_source: %s\n", what);
    std::exit(2);
}

// A buffer of the window's size in one grey, in shared memory the compositor maps.
wl_buffer *paintedBuffer(const Source &source)
{
    const int stride = source.width * 4;
    const size_t size = size_t(stride) * size_t(source.height);
    const int memory = memfd_create("wayland_drag_source", MFD_CLOEXEC);
    if (memory < 0 || ftruncate(memory, off_t(size)) != 0)
        fail("no shared memory for the window");
    void *const pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0);
    if (pixels == MAP_FAILED)
        fail("the window's memory could not be mapped");
    std::memset(pixels, 0x80, size);
    munmap(pixels, size);
    wl_shm_pool *const pool = wl_shm_create_pool(source.shm, memory, int32_t(size));
    wl_buffer *const buffer = wl_shm_pool_create_buffer(pool, 0, source.width, source.height,
                                                        stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(memory);
    return buffer;
}

void writeText(const std::string &text, int fd)
{
    // The writing waits while the target is slow to read: nothing else needs this program then.
    // The pipe may come without blocking writes: under mutter it does.
    size_t written = 0;
    const char *reason = nullptr;
    while (written < text.size()) {
        const ssize_t count = write(fd, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN) {
            pollfd writable{fd, POLLOUT, 0};
            poll(&writable, 1, -1);
            continue;
        }
        if (count < 0) {
            reason = errno == EPIPE ? "the target closed the pipe" : std::strerror(errno);
            break;
        }
        written += size_t(count);
    }
    close(fd);
    if (reason)
        say("sent %zu bytes: %s", written, reason);
    else
        say("sent %zu bytes", written);
}

void endDrag(Source &source, const char *outcome)
{
    say("%s", outcome);
    wl_data_source_destroy(source.dataSource);
    source.ended = true;
}

const wl_data_source_listener dataSourceListener = {
    .target = [](void *, wl_data_source *, const char *) {},
    .send = [](void *data, wl_data_source *, const char *,
               int32_t fd) { writeText(static_cast<Source *>(data)->text, fd); },
    .cancelled =
        [](void *data, wl_data_source *) {
            endDrag(*static_cast<Source *>(data), "cancelled: the source keeps its text");
        },
    .dnd_drop_performed = [](void *, wl_data_source *) {},
    .dnd_finished =
        [](void *data, wl_data_source *) {
            Source &source = *static_cast<Source *>(data);
            endDrag(source, source.action == WL_DATA_DEVICE_MANAGER_DND_ACTION_MOVE
                                ? "finished: taken by move"
                                : "finished: taken by copy");
        },
    .action = [](void *data, wl_data_source *,
                 uint32_t action) { static_cast<Source *>(data)->action = action; },
};

// Once the drag has begun the window takes no more pointer input, so the compositor finds the
// window below it under the pointer, as it would beside it.
void letPointerThrough(Source &source)
{
    wl_region *const nothing = wl_compositor_create_region(source.compositor);
    wl_surface_set_input_region(source.surface, nothing);
    wl_region_destroy(nothing);
    wl_surface_commit(source.surface);
}

void startDrag(Source &source, uint32_t serial)
{
    source.dataSource = wl_data_device_manager_create_data_source(source.dataDeviceManager);
    for (const char *type : TextTypes)
        wl_data_source_offer(source.dataSource, type);
    wl_data_source_set_actions(source.dataSource, WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY
                                                      | WL_DATA_DEVICE_MANAGER_DND_ACTION_MOVE);
    wl_data_source_add_listener(source.dataSource, &dataSourceListener, &source);
    wl_data_device_start_drag(source.dataDevice, source.dataSource, source.surface, nullptr,
                              serial);
    letPointerThrough(source);
    say("dragging");
}

const wl_pointer_listener pointerListener = {
    .enter = [](void *, wl_pointer *, uint32_t, wl_surface *, wl_fixed_t x,
                wl_fixed_t y) { say("pointer at %d %d", wl_fixed_to_int(x), wl_fixed_to_int(y)); },
    .leave = [](void *, wl_pointer *, uint32_t, wl_surface *) {},
    .motion = [](void *, wl_pointer *, uint32_t, wl_fixed_t, wl_fixed_t) {},
    .button =
        [](void *data, wl_pointer *, uint32_t serial, uint32_t, uint32_t button, uint32_t state) {
            Source &source = *static_cast<Source *>(data);
            if (button == LeftButton && state == WL_POINTER_BUTTON_STATE_PRESSED
                && !source.dataSource)
                startDrag(source, serial);
        },
    .axis = [](void *, wl_pointer *, uint32_t, uint32_t, wl_fixed_t) {},
    .frame = [](void *, wl_pointer *) {},
    .axis_source = [](void *, wl_pointer *, uint32_t) {},
    .axis_stop = [](void *, wl_pointer *, uint32_t, uint32_t) {},
    .axis_discrete = [](void *, wl_pointer *, uint32_t, int32_t) {},
    // Only pointers of a later version than this program binds are sent this one.
    .axis_value120 = nullptr,
};

const wl_seat_listener seatListener = {
    .capabilities =
        [](void *data, wl_seat *seat, uint32_t capabilities) {
            Source &source = *static_cast<Source *>(data);
            if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !source.pointer) {
                source.pointer = wl_seat_get_pointer(seat);
                wl_pointer_add_listener(source.pointer, &pointerListener, &source);
            }
        },
    .name = [](void *, wl_seat *, const char *) {},
};

const xdg_wm_base_listener shellListener = {
    .ping = [](void *, xdg_wm_base *shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); },
};

const xdg_toplevel_listener toplevelListener = {
    .configure =
        [](void *data, xdg_toplevel *, int32_t width, int32_t height, wl_array *) {
            Source &source = *static_cast<Source *>(data);
            if (width > 0 && height > 0) {
                source.width = width;
                source.height = height;
            }
        },
    .close = [](void *, xdg_toplevel *) {},
    // Only toplevels of a later version than this program binds are sent these.
    .configure_bounds = nullptr,
    .wm_capabilities = nullptr,
};

// The compositor asks for the next frame once the window is on the monitor.
const wl_callback_listener shownListener = {
    .done =
        [](void *data, wl_callback *callback, uint32_t) {
            const Source &source = *static_cast<Source *>(data);
            wl_callback_destroy(callback);
            say("shown %dx%d", source.width, source.height);
        },
};

const xdg_surface_listener xdgSurfaceListener = {
    .configure =
        [](void *data, xdg_surface *xdgSurface, uint32_t serial) {
            Source &source = *static_cast<Source *>(data);
            xdg_surface_ack_configure(xdgSurface, serial);
            // The first configure may come before the compositor has made the window maximized.
            if (source.shown || source.width == 0)
                return;
            wl_surface_attach(source.surface, paintedBuffer(source), 0, 0);
            wl_callback_add_listener(wl_surface_frame(source.surface), &shownListener, &source);
            wl_surface_commit(source.surface);
            source.shown = true;
        },
};

const wl_registry_listener registryListener = {
    .global =
        [](void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t) {
            Source &source = *static_cast<Source *>(data);
            const auto bind = [&](const wl_interface &type, uint32_t version) {
                return wl_registry_bind(registry, name, &type, version);
            };
            if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
                source.compositor = static_cast<wl_compositor *>(bind(wl_compositor_interface, 4));
            } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
                source.shm = static_cast<wl_shm *>(bind(wl_shm_interface, 1));
            } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !source.seat) {
                source.seat = static_cast<wl_seat *>(bind(wl_seat_interface, 5));
                wl_seat_add_listener(source.seat, &seatListener, &source);
            } else if (std::strcmp(interface, wl_data_device_manager_interface.name) == 0) {
                source.dataDeviceManager = static_cast<wl_data_device_manager *>(
                    bind(wl_data_device_manager_interface, 3));
            } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
                source.shell = static_cast<xdg_wm_base *>(bind(xdg_wm_base_interface, 1));
                xdg_wm_base_add_listener(source.shell, &shellListener, &source);
            }
        },
    .global_remove = [](void *, wl_registry *, uint32_t) {},
};

std::string readFile(const char *path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        fail("the file to drag cannot be read");
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    // A target that stops reading closes its end of the pipe; the write then says so.
    std::signal(SIGPIPE, SIG_IGN);
    Source source;
    source.text = readFile(argv[1]);

    wl_display *const display = wl_display_connect(nullptr);
    if (!display)
        fail("no Wayland display");
    wl_registry *const registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &source);
    wl_display_roundtrip(display);
    if (!source.compositor || !source.shm || !source.seat || !source.dataDeviceManager
        || !source.shell)
        fail("the compositor lacks a global this program needs");
    source.dataDevice
        = wl_data_device_manager_get_data_device(source.dataDeviceManager, source.seat);

    source.surface = wl_compositor_create_surface(source.compositor);
    xdg_surface *const xdgSurface = xdg_wm_base_get_xdg_surface(source.shell, source.surface);
    xdg_surface_add_listener(xdgSurface, &xdgSurfaceListener, &source);
    xdg_toplevel *const toplevel = xdg_surface_get_toplevel(xdgSurface);
    xdg_toplevel_add_listener(toplevel, &toplevelListener, &source);
    xdg_toplevel_set_title(toplevel, "wayland_drag_source");
    xdg_toplevel_set_maximized(toplevel);
    wl_surface_commit(source.surface);

    while (!source.ended) {
        if (wl_display_dispatch(display) < 0)
            fail("the compositor closed the connection");
    }
    wl_display_disconnect(display);
    return 0;
}
