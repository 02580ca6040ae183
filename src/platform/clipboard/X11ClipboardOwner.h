#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>

namespace vantrel {

class ClipboardOffer;

// Owns the CLIPBOARD selection on a plain xcb connection, without a toolkit, and answers every
// request for it (ICCCM): TARGETS, TIMESTAMP, MULTIPLE and each target of the payload. A value
// larger than one chunk goes out INCR, chunk by chunk as the receiver deletes each one.
class X11ClipboardOwner final {
  public:
    // The largest value sent in one property; more goes INCR. Also bounded by the X server's
    // largest request.
    static constexpr std::size_t chunkBytes = 256 * 1024;
    // A receiver that stops reading an INCR transfer for this long is given up on.
    static constexpr std::chrono::seconds stalledTransfer{5};

    // None when the X server cannot be reached; then `error` says why.
    static std::unique_ptr<X11ClipboardOwner> connect(std::string& error);
    ~X11ClipboardOwner();
    X11ClipboardOwner(const X11ClipboardOwner&) = delete;
    X11ClipboardOwner& operator=(const X11ClipboardOwner&) = delete;

    // Takes the selection for this offer (kept by reference until serve() returns); false when
    // the X server did not give it.
    bool own(ClipboardOffer& offer);
    // Answers requests until another client takes the selection and the transfers under way
    // have ended, or the X server goes away.
    void serve();

  private:
    struct Transfer {
        xcb_atom_t type;
        std::string data;
        std::size_t sent = 0;
        bool finished = false; // the closing empty chunk is out
        std::chrono::steady_clock::time_point lastActivity;
    };
    using TransferKey = std::pair<xcb_window_t, xcb_atom_t>; // requestor, property

    X11ClipboardOwner(xcb_connection_t* connection, xcb_window_t root);
    xcb_atom_t atom(const char* name);
    std::string atomName(xcb_atom_t atom);
    xcb_timestamp_t serverTime();
    void handle(const xcb_generic_event_t* event);
    void answer(const xcb_selection_request_event_t& request);
    bool convert(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target);
    bool convertMultiple(xcb_window_t requestor, xcb_atom_t property);
    bool sendValue(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target,
                   const std::string& value);
    void continueTransfer(xcb_window_t requestor, xcb_atom_t property);
    void dropStalledTransfers();
    void stopWatching(xcb_window_t requestor);
    int pollTimeoutMilliseconds() const;

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    xcb_window_t m_window = 0;
    xcb_timestamp_t m_ownedSince = 0;
    bool m_owned = false;
    std::size_t m_chunkBytes = chunkBytes;
    ClipboardOffer* m_offer = nullptr;
    std::map<std::string, xcb_atom_t, std::less<>> m_atoms;
    std::map<TransferKey, Transfer> m_transfers;
};

} // namespace vantrel
