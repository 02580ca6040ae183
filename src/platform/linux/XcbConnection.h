#pragma once

#include "DesktopSpace.h"
#include "X11Translation.h"

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QString>

#include <xcb/xcb.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace vantrel {

// One connection to the X server, shared by the X11 services: the atoms, property reads that
// answer none for a vanished window, the monitors and the desktop space, and the events, handed
// to listeners on the thread that owns the connection (the main thread).
class XcbConnection final {
  public:
    using Listener = std::function<void(const xcb_generic_event_t* event)>;
    using ListenerToken = quint64;

    // A property as the server stored it; none when the window or the property is missing.
    struct Property {
        quint32 type = 0;
        quint8 format = 0;
        QByteArray data;

        QList<quint32> values32() const;   // empty unless the format is 32
        QString text() const;              // UTF8_STRING as UTF-8, anything else as Latin-1
        QList<QByteArray> strings() const; // NUL-separated list (WM_CLASS)
    };

    // None when the server cannot be reached; then *error says why in one line.
    static std::unique_ptr<XcbConnection> open(const QString& display = {},
                                               QString* error = nullptr);
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* get() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    const xcb_screen_t* screen() const { return m_screen; }
    bool hasError() const;
    void flush() const;

    // Interned once, then from the cache.
    xcb_atom_t atom(const char* name) const;
    QByteArray atomName(xcb_atom_t atom) const;

    // Pipelined property reads: request many, then take the replies.
    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                              quint32 maxLongs = 4096) const;
    std::optional<Property> takeProperty(xcb_get_property_cookie_t cookie) const;
    std::optional<Property> property(xcb_window_t window, xcb_atom_t property) const;

    std::optional<QList<quint32>> cardinals(xcb_window_t window, const char* property) const;
    std::optional<quint32> cardinal(xcb_window_t window, const char* property) const;

    // The RandR monitors (the root window as one monitor without RandR), primary first.
    QList<X11Monitor> monitors() const;
    // Xft.dpi / 96 from the root's RESOURCE_MANAGER; 1 without.
    double scale() const;
    DesktopSpace space() const;

    // The listener sees every event and error read from the connection, on the main thread.
    ListenerToken addEventListener(Listener listener);
    void removeEventListener(ListenerToken token);

    // Reads what the server has sent and hands it to the listeners.
    void dispatchPending();

  private:
    explicit XcbConnection(xcb_connection_t* connection, int screenNumber);
    void ensurePump();
    void dispatch(xcb_generic_event_t* event);

    xcb_connection_t* m_connection = nullptr;
    const xcb_screen_t* m_screen = nullptr;
    xcb_window_t m_root = 0;
    mutable std::map<QByteArray, xcb_atom_t> m_atoms;
    mutable std::optional<bool> m_hasMonitors; // RandR 1.5, once asked
    std::map<ListenerToken, Listener> m_listeners;
    ListenerToken m_nextToken = 1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QMetaObject::Connection m_aboutToBlock;
};

} // namespace vantrel
