#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct wl_buffer;
struct wl_compositor;
struct wl_data_device;
struct wl_data_device_manager;
struct wl_data_source;
struct wl_display;
struct wl_keyboard;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xdg_surface;
struct xdg_toplevel;
struct xdg_wm_base;

namespace vantrel {

// Owns the clipboard of a Wayland session on a plain libwayland-client connection, without a
// toolkit, and writes each value a receiver asks for into the pipe it passes. GNOME takes a new
// clipboard only from the client that has keyboard focus, at a serial of its own: the owner maps a
// tiny transparent window for as long as that takes, and destroys it at once so that the focus
// goes back. Serving does not need the window.
class WaylandClipboardOwner final {
  public:
    // A receiver that stops reading for this long is given up on.
    static constexpr std::chrono::seconds stalledTransfer{5};
    // The compositor gives a new window focus within milliseconds; one that has not after this
    // long will not, and the command must not wait on it.
    static constexpr std::chrono::seconds focusWait{3};
    // The focus can move on between the window's focus and the selection (a window that closes
    // hands it back to the one below), and the compositor then refuses the selection: the window
    // is mapped again, this many times in all.
    static constexpr int ownAttempts = 3;

    // The value for one MIME type; none when there is none.
    using Render = std::function<std::optional<std::string>(const std::string& mimeType)>;

    // None when the compositor cannot be reached or lacks what a clipboard owner needs; then
    // `error` says why.
    static std::unique_ptr<WaylandClipboardOwner> connect(std::string& error);
    ~WaylandClipboardOwner();
    WaylandClipboardOwner(const WaylandClipboardOwner&) = delete;
    WaylandClipboardOwner& operator=(const WaylandClipboardOwner&) = delete;

    // Offers these types all at once; none once the compositor has taken the offer, else why not.
    std::optional<std::string> own(const std::vector<std::string>& mimeTypes, Render render);
    // Answers requests until another client takes the clipboard and the transfers under way have
    // ended, or the compositor goes away.
    void serve();

    // The listeners' way in; not for callers.
    struct Events;

  private:
    struct Transfer {
        std::string data;
        std::size_t sent = 0;
        std::chrono::steady_clock::time_point lastActivity;
    };

    WaylandClipboardOwner() = default;
    bool roundtrip();
    std::optional<std::string> mapFocusWindow();
    void destroyFocusWindow();
    bool dispatchUntil(const std::function<bool()>& done,
                       std::chrono::steady_clock::time_point deadline);
    void startTransfer(const std::string& mimeType, int descriptor);
    void writeTransfers(const std::vector<int>& writable);
    void dropStalledTransfers();
    int pollTimeoutMilliseconds() const;

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    wl_shm* m_shm = nullptr;
    wl_seat* m_seat = nullptr;
    wl_data_device_manager* m_dataDeviceManager = nullptr;
    xdg_wm_base* m_windowManager = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    wl_data_device* m_dataDevice = nullptr;
    wl_data_source* m_source = nullptr;
    wl_surface* m_surface = nullptr;
    xdg_surface* m_windowSurface = nullptr;
    xdg_toplevel* m_toplevel = nullptr;
    wl_buffer* m_buffer = nullptr;
    unsigned m_seatCapabilities = 0;
    bool m_configured = false;
    std::optional<unsigned> m_focusSerial;
    bool m_owned = false;
    Render m_render;
    std::map<int, Transfer> m_transfers; // by the pipe's descriptor
};

} // namespace vantrel
