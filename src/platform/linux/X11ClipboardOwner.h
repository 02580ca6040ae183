#pragma once

#include <QByteArray>
#include <QString>

#include <xcb/xcb.h>

#include <chrono>
#include <map>
#include <memory>
#include <utility>

namespace vantrel {

class ClipboardTargets;

// Owns the CLIPBOARD selection on a plain xcb connection, without a toolkit, and answers every
// request for it (ICCCM): TARGETS, TIMESTAMP, MULTIPLE and each target of the payload. A value
// larger than one chunk goes out INCR, chunk by chunk as the receiver deletes each one.
class X11ClipboardOwner final {
  public:
    // The largest value sent in one property; more goes INCR. Also bounded by the X server's
    // largest request.
    static constexpr qsizetype chunkBytes = 256 * 1024;
    // A receiver that stops reading an INCR transfer for this long is given up on.
    static constexpr std::chrono::seconds stalledTransfer{5};

    // None when the X server cannot be reached; then `error` says why.
    static std::unique_ptr<X11ClipboardOwner> connect(QString& error);
    ~X11ClipboardOwner();
    X11ClipboardOwner(const X11ClipboardOwner&) = delete;
    X11ClipboardOwner& operator=(const X11ClipboardOwner&) = delete;

    // Takes the selection for these targets (kept by reference until serve() returns); false
    // when the X server did not give it.
    bool own(ClipboardTargets& targets);
    // Answers requests until another client takes the selection and the transfers under way
    // have ended, or the X server goes away.
    void serve();

  private:
    struct Transfer {
        xcb_atom_t type;
        QByteArray data;
        qsizetype sent = 0;
        bool finished = false; // the closing empty chunk is out
        std::chrono::steady_clock::time_point lastActivity;
    };
    using TransferKey = std::pair<xcb_window_t, xcb_atom_t>; // requestor, property

    X11ClipboardOwner(xcb_connection_t* connection, xcb_window_t root);
    xcb_atom_t atom(const char* name);
    QByteArray atomName(xcb_atom_t atom);
    xcb_timestamp_t serverTime();
    void handle(const xcb_generic_event_t* event);
    void answer(const xcb_selection_request_event_t& request);
    bool convert(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target);
    bool convertMultiple(xcb_window_t requestor, xcb_atom_t property);
    bool sendValue(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target,
                   const QByteArray& value);
    void continueTransfer(xcb_window_t requestor, xcb_atom_t property);
    void dropStalledTransfers();
    void stopWatching(xcb_window_t requestor);
    int pollTimeoutMilliseconds() const;

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    xcb_window_t m_window = 0;
    xcb_timestamp_t m_ownedSince = 0;
    bool m_owned = false;
    qsizetype m_chunkBytes = chunkBytes;
    ClipboardTargets* m_targets = nullptr;
    std::map<QByteArray, xcb_atom_t> m_atoms;
    std::map<TransferKey, Transfer> m_transfers;
};

} // namespace vantrel
