#include "WaylandClipboardOwner.h"

#include <wayland-client.h>
#include <xdg-shell-client-protocol.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

namespace vantrel {

namespace {

// Versions whose events the listeners below cover; newer ones would add events.
constexpr uint32_t compositorVersion = 1;
constexpr uint32_t shmVersion = 1;
constexpr uint32_t seatVersion = 1;
constexpr uint32_t dataDeviceManagerVersion = 1;
constexpr uint32_t windowManagerVersion = 1;
constexpr std::size_t largestWrite = 64 * 1024;

template <class Proxy>
Proxy* bindGlobal(wl_registry* registry, uint32_t name, const wl_interface* interface,
                  uint32_t offered, uint32_t wanted) {
    return static_cast<Proxy*>(
        wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

std::string systemReason() {
    return std::strerror(errno);
}

} // namespace

struct WaylandClipboardOwner::Events {
    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version) {
        auto* owner = static_cast<WaylandClipboardOwner*>(data);
        const std::string kind = interface;
        if (kind == wl_compositor_interface.name && !owner->m_compositor)
            owner->m_compositor = bindGlobal<wl_compositor>(
                registry, name, &wl_compositor_interface, version, compositorVersion);
        else if (kind == wl_shm_interface.name && !owner->m_shm)
            owner->m_shm =
                bindGlobal<wl_shm>(registry, name, &wl_shm_interface, version, shmVersion);
        else if (kind == wl_seat_interface.name && !owner->m_seat) {
            owner->m_seat =
                bindGlobal<wl_seat>(registry, name, &wl_seat_interface, version, seatVersion);
            wl_seat_add_listener(owner->m_seat, &seatListener, owner);
        } else if (kind == wl_data_device_manager_interface.name && !owner->m_dataDeviceManager)
            owner->m_dataDeviceManager = bindGlobal<wl_data_device_manager>(
                registry, name, &wl_data_device_manager_interface, version,
                dataDeviceManagerVersion);
        else if (kind == xdg_wm_base_interface.name && !owner->m_windowManager) {
            owner->m_windowManager = bindGlobal<xdg_wm_base>(registry, name, &xdg_wm_base_interface,
                                                             version, windowManagerVersion);
            xdg_wm_base_add_listener(owner->m_windowManager, &windowManagerListener, owner);
        }
    }
    static void globalRemove(void*, wl_registry*, uint32_t) {}
    static constexpr wl_registry_listener registryListener{global, globalRemove};

    // A keyboard may come later (a virtual one): the focus is asked for only at own().
    static void capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
        auto* owner = static_cast<WaylandClipboardOwner*>(data);
        owner->m_seatCapabilities = capabilities;
        if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !owner->m_keyboard) {
            owner->m_keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(owner->m_keyboard, &keyboardListener, owner);
        }
    }
    static void seatName(void*, wl_seat*, const char*) {}
    static constexpr wl_seat_listener seatListener{capabilities, seatName};

    static void keymap(void*, wl_keyboard*, uint32_t, int32_t descriptor, uint32_t) {
        ::close(descriptor);
    }
    static void enter(void* data, wl_keyboard*, uint32_t serial, wl_surface* surface, wl_array*) {
        auto* owner = static_cast<WaylandClipboardOwner*>(data);
        if (surface && surface == owner->m_surface)
            owner->m_focusSerial = serial;
    }
    static void leave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
    static void key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void modifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void repeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
    static constexpr wl_keyboard_listener keyboardListener{keymap, enter,     leave,
                                                           key,    modifiers, repeatInfo};

    static void ping(void*, xdg_wm_base* windowManager, uint32_t serial) {
        xdg_wm_base_pong(windowManager, serial);
    }
    static constexpr xdg_wm_base_listener windowManagerListener{ping};

    // The first configure maps the window: its one transparent pixel is attached only then.
    static void configure(void* data, xdg_surface* surface, uint32_t serial) {
        auto* owner = static_cast<WaylandClipboardOwner*>(data);
        xdg_surface_ack_configure(surface, serial);
        if (!owner->m_configured && owner->m_buffer) {
            wl_surface_attach(owner->m_surface, owner->m_buffer, 0, 0);
            wl_surface_commit(owner->m_surface);
        }
        owner->m_configured = true;
    }
    static constexpr xdg_surface_listener windowSurfaceListener{configure};

    static void toplevelConfigure(void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {}
    static void toplevelClose(void*, xdg_toplevel*) {}
    static constexpr xdg_toplevel_listener toplevelListener{toplevelConfigure, toplevelClose,
                                                            nullptr, nullptr};

    static void target(void*, wl_data_source*, const char*) {}
    static void send(void* data, wl_data_source*, const char* mimeType, int32_t descriptor) {
        static_cast<WaylandClipboardOwner*>(data)->startTransfer(mimeType, descriptor);
    }
    // Another client took the clipboard (or the compositor refused ours).
    static void cancelled(void* data, wl_data_source* source) {
        auto* owner = static_cast<WaylandClipboardOwner*>(data);
        owner->m_owned = false;
        if (source == owner->m_source) {
            wl_data_source_destroy(source);
            owner->m_source = nullptr;
        }
    }
    static constexpr wl_data_source_listener sourceListener{target,  send,    cancelled,
                                                            nullptr, nullptr, nullptr};

    // Offers of other clients' clipboards are of no use to the owner.
    static void dataOffer(void*, wl_data_device*, wl_data_offer* offer) {
        wl_data_offer_destroy(offer);
    }
    static void dragEnter(void*, wl_data_device*, uint32_t, wl_surface*, wl_fixed_t, wl_fixed_t,
                          wl_data_offer*) {}
    static void dragLeave(void*, wl_data_device*) {}
    static void dragMotion(void*, wl_data_device*, uint32_t, wl_fixed_t, wl_fixed_t) {}
    static void drop(void*, wl_data_device*) {}
    static void selection(void*, wl_data_device*, wl_data_offer*) {}
    static constexpr wl_data_device_listener dataDeviceListener{dataOffer,  dragEnter, dragLeave,
                                                                dragMotion, drop,      selection};
};

std::unique_ptr<WaylandClipboardOwner> WaylandClipboardOwner::connect(std::string& error) {
    std::unique_ptr<WaylandClipboardOwner> owner(new WaylandClipboardOwner);
    owner->m_display = wl_display_connect(nullptr);
    if (!owner->m_display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        error = std::string("Cannot reach the Wayland compositor at \"") + (name ? name : "") +
                "\": " + systemReason();
        return nullptr;
    }
    owner->m_registry = wl_display_get_registry(owner->m_display);
    wl_registry_add_listener(owner->m_registry, &Events::registryListener, owner.get());
    // The globals, then the seat's capabilities.
    if (!owner->roundtrip() || !owner->roundtrip()) {
        error = "The Wayland compositor went away";
        return nullptr;
    }
    const std::pair<const void*, const char*> needed[] = {
        {owner->m_compositor, wl_compositor_interface.name},
        {owner->m_shm, wl_shm_interface.name},
        {owner->m_seat, wl_seat_interface.name},
        {owner->m_dataDeviceManager, wl_data_device_manager_interface.name},
        {owner->m_windowManager, xdg_wm_base_interface.name}};
    for (const auto& [global, name] : needed) {
        if (!global) {
            error = std::string("The Wayland compositor offers no ") + name;
            return nullptr;
        }
    }
    owner->m_dataDevice =
        wl_data_device_manager_get_data_device(owner->m_dataDeviceManager, owner->m_seat);
    wl_data_device_add_listener(owner->m_dataDevice, &Events::dataDeviceListener, owner.get());
    wl_display_flush(owner->m_display);
    return owner;
}

WaylandClipboardOwner::~WaylandClipboardOwner() {
    for (const auto& [descriptor, transfer] : m_transfers)
        ::close(descriptor);
    if (!m_display)
        return;
    destroyFocusWindow();
    if (m_source)
        wl_data_source_destroy(m_source);
    if (m_dataDevice)
        wl_data_device_destroy(m_dataDevice);
    if (m_keyboard)
        wl_keyboard_destroy(m_keyboard);
    if (m_windowManager)
        xdg_wm_base_destroy(m_windowManager);
    if (m_dataDeviceManager)
        wl_data_device_manager_destroy(m_dataDeviceManager);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

bool WaylandClipboardOwner::roundtrip() {
    return wl_display_roundtrip(m_display) >= 0;
}

std::optional<std::string> WaylandClipboardOwner::own(const std::vector<std::string>& mimeTypes,
                                                      Render render) {
    m_render = std::move(render);
    if (!roundtrip())
        return "The Wayland compositor went away";
    if (!(m_seatCapabilities & WL_SEAT_CAPABILITY_KEYBOARD))
        return "This Wayland seat has no keyboard, and the compositor gives the clipboard only to "
               "a window that has the keyboard's focus";
    for (int attempt = 0; attempt < ownAttempts; ++attempt) {
        // A refused source is cancelled and gone; each attempt offers a new one.
        m_source = wl_data_device_manager_create_data_source(m_dataDeviceManager);
        wl_data_source_add_listener(m_source, &Events::sourceListener, this);
        for (const std::string& type : mimeTypes)
            wl_data_source_offer(m_source, type.c_str());
        m_owned = true;
        if (const auto failure = mapFocusWindow()) {
            destroyFocusWindow();
            return failure;
        }
        wl_data_device_set_selection(m_dataDevice, m_source, *m_focusSerial);
        // At once, so that the focus goes back to the window that had it.
        destroyFocusWindow();
        if (!roundtrip())
            return "The Wayland compositor went away";
        if (m_owned)
            return std::nullopt;
    }
    return "The Wayland compositor did not give Vantrel the clipboard";
}

std::optional<std::string> WaylandClipboardOwner::mapFocusWindow() {
    const int pixel = ::memfd_create("vantrel-clipboard-window", MFD_CLOEXEC);
    if (pixel < 0 || ::ftruncate(pixel, 4) != 0) {
        const std::string reason = systemReason();
        if (pixel >= 0)
            ::close(pixel);
        return "Cannot make the clipboard window's pixel: " + reason;
    }
    wl_shm_pool* pool = wl_shm_create_pool(m_shm, pixel, 4);
    m_buffer = wl_shm_pool_create_buffer(pool, 0, 1, 1, 4, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    ::close(pixel);

    m_surface = wl_compositor_create_surface(m_compositor);
    // Clicks go through the pixel to whatever lies under it.
    wl_region* nowhere = wl_compositor_create_region(m_compositor);
    wl_surface_set_input_region(m_surface, nowhere);
    wl_region_destroy(nowhere);
    m_windowSurface = xdg_wm_base_get_xdg_surface(m_windowManager, m_surface);
    xdg_surface_add_listener(m_windowSurface, &Events::windowSurfaceListener, this);
    m_toplevel = xdg_surface_get_toplevel(m_windowSurface);
    xdg_toplevel_add_listener(m_toplevel, &Events::toplevelListener, this);
    xdg_toplevel_set_title(m_toplevel, "Vantrel clipboard");
    wl_surface_commit(m_surface);

    const auto deadline = std::chrono::steady_clock::now() + focusWait;
    if (!dispatchUntil([this] { return m_focusSerial.has_value(); }, deadline))
        return m_display && wl_display_get_error(m_display)
                   ? "The Wayland compositor went away"
                   : "The compositor did not give Vantrel's clipboard window the keyboard's focus "
                     "within 3 s";
    return std::nullopt;
}

void WaylandClipboardOwner::destroyFocusWindow() {
    if (m_toplevel)
        xdg_toplevel_destroy(m_toplevel);
    if (m_windowSurface)
        xdg_surface_destroy(m_windowSurface);
    if (m_surface)
        wl_surface_destroy(m_surface);
    if (m_buffer)
        wl_buffer_destroy(m_buffer);
    m_toplevel = nullptr;
    m_windowSurface = nullptr;
    m_surface = nullptr;
    m_buffer = nullptr;
    m_configured = false;
    m_focusSerial.reset();
}

bool WaylandClipboardOwner::dispatchUntil(const std::function<bool()>& done,
                                          std::chrono::steady_clock::time_point deadline) {
    pollfd socket{wl_display_get_fd(m_display), POLLIN, 0};
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        while (wl_display_prepare_read(m_display) != 0) {
            if (wl_display_dispatch_pending(m_display) < 0)
                return false;
        }
        wl_display_flush(m_display);
        if (::poll(&socket, 1, int(left.count())) > 0) {
            if (wl_display_read_events(m_display) < 0)
                return false;
        } else {
            wl_display_cancel_read(m_display);
        }
        if (wl_display_dispatch_pending(m_display) < 0)
            return false;
    }
    return true;
}

// A type the payload has no value for gets an empty answer: the pipe is closed at once.
void WaylandClipboardOwner::startTransfer(const std::string& mimeType, int descriptor) {
    std::optional<std::string> value = m_render ? m_render(mimeType) : std::nullopt;
    if (!value || value->empty() || ::fcntl(descriptor, F_SETFL, O_NONBLOCK) != 0) {
        ::close(descriptor);
        return;
    }
    m_transfers[descriptor] = Transfer{std::move(*value), 0, std::chrono::steady_clock::now()};
}

void WaylandClipboardOwner::serve() {
    pollfd socket{wl_display_get_fd(m_display), POLLIN, 0};
    while (true) {
        dropStalledTransfers();
        if (!m_owned && m_transfers.empty())
            return;
        while (wl_display_prepare_read(m_display) != 0) {
            if (wl_display_dispatch_pending(m_display) < 0)
                return;
        }
        wl_display_flush(m_display);
        std::vector<pollfd> watched{socket};
        for (const auto& [descriptor, transfer] : m_transfers)
            watched.push_back({descriptor, POLLOUT, 0});
        if (::poll(watched.data(), watched.size(), pollTimeoutMilliseconds()) < 0 &&
            errno != EINTR) {
            wl_display_cancel_read(m_display);
            return;
        }
        if (watched.front().revents) {
            if (wl_display_read_events(m_display) < 0)
                return;
        } else {
            wl_display_cancel_read(m_display);
        }
        std::vector<int> writable;
        for (auto entry = watched.begin() + 1; entry != watched.end(); ++entry) {
            if (entry->revents)
                writable.push_back(entry->fd);
        }
        writeTransfers(writable);
        if (wl_display_dispatch_pending(m_display) < 0)
            return;
    }
}

// A receiver that closed its end is done with: the write fails (SIGPIPE is ignored) and the
// transfer goes.
void WaylandClipboardOwner::writeTransfers(const std::vector<int>& writable) {
    for (const int descriptor : writable) {
        const auto found = m_transfers.find(descriptor);
        if (found == m_transfers.end())
            continue;
        Transfer& transfer = found->second;
        const std::size_t length = std::min(largestWrite, transfer.data.size() - transfer.sent);
        const ssize_t written = ::write(descriptor, transfer.data.data() + transfer.sent, length);
        if (written < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (written > 0) {
            transfer.sent += std::size_t(written);
            transfer.lastActivity = std::chrono::steady_clock::now();
        }
        if (written < 0 || transfer.sent == transfer.data.size()) {
            ::close(descriptor);
            m_transfers.erase(found);
        }
    }
}

void WaylandClipboardOwner::dropStalledTransfers() {
    const auto now = std::chrono::steady_clock::now();
    for (auto entry = m_transfers.begin(); entry != m_transfers.end();) {
        if (now - entry->second.lastActivity < stalledTransfer) {
            ++entry;
            continue;
        }
        ::close(entry->first);
        entry = m_transfers.erase(entry);
    }
}

int WaylandClipboardOwner::pollTimeoutMilliseconds() const {
    if (m_transfers.empty())
        return -1;
    auto oldest = std::chrono::steady_clock::time_point::max();
    for (const auto& [descriptor, transfer] : m_transfers)
        oldest = std::min(oldest, transfer.lastActivity);
    const auto left = oldest + stalledTransfer - std::chrono::steady_clock::now();
    return int(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1));
}

} // namespace vantrel
