#include "X11ClipboardOwner.h"

#include "ClipboardOffer.h"
#include "XcbReply.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <vector>

namespace vantrel {

namespace {

constexpr char selectionName[] = "CLIPBOARD";

// The byte count of a property value, as xcb takes it for 8-bit data.
std::uint32_t byteCount(std::size_t size) {
    return static_cast<std::uint32_t>(size);
}

} // namespace

std::unique_ptr<X11ClipboardOwner> X11ClipboardOwner::connect(std::string& error) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (const int code = xcb_connection_has_error(connection)) {
        const char* display = std::getenv("DISPLAY");
        error = "Cannot reach the X server at \"" + std::string(display ? display : "") +
                "\" (error " + std::to_string(code) + ")";
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skip = 0; skip < screenNumber && screens.rem > 0; ++skip)
        xcb_screen_next(&screens);
    return std::unique_ptr<X11ClipboardOwner>(
        new X11ClipboardOwner(connection, screens.data->root));
}

X11ClipboardOwner::X11ClipboardOwner(xcb_connection_t* connection, xcb_window_t root)
    : m_connection(connection), m_root(root) {
    // A window of our own that never shows: it owns the selection and hears its own property
    // changes, which is how the server's current time is learnt.
    m_window = xcb_generate_id(m_connection);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    // Leaves room for the ChangeProperty request's own header.
    const std::size_t largestRequest =
        std::size_t(xcb_get_maximum_request_length(m_connection)) * 4;
    m_chunkBytes =
        std::clamp<std::size_t>(std::max<std::size_t>(largestRequest, 64) - 64, 1024, chunkBytes);
    // Asked now, answered from the cache once the payload is there.
    for (const char* name :
         {selectionName, "TARGETS", "TIMESTAMP", "MULTIPLE", "INCR", "ATOM_PAIR", "_VANTREL_TIME"})
        atom(name);
}

X11ClipboardOwner::~X11ClipboardOwner() {
    xcb_disconnect(m_connection);
}

xcb_atom_t X11ClipboardOwner::atom(const char* name) {
    const std::string key(name);
    if (const auto found = m_atoms.find(key); found != m_atoms.end())
        return found->second;
    const auto reply = xcbReply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::uint16_t(key.size()), key.c_str()),
        nullptr));
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    m_atoms.emplace(key, value);
    return value;
}

std::string X11ClipboardOwner::atomName(xcb_atom_t value) {
    for (const auto& [name, known] : m_atoms) {
        if (known == value)
            return name;
    }
    const auto reply = xcbReply(
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, value), nullptr));
    if (!reply)
        return {};
    std::string name(xcb_get_atom_name_name(reply.get()),
                     std::size_t(xcb_get_atom_name_name_length(reply.get())));
    m_atoms.emplace(name, value);
    return name;
}

// ICCCM wants the selection taken at a real server time: appending nothing to a property of our
// own window makes the server report its time.
xcb_timestamp_t X11ClipboardOwner::serverTime() {
    const xcb_atom_t marker = atom("_VANTREL_TIME");
    xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, marker, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(m_connection);
    while (xcb_generic_event_t* event = xcb_wait_for_event(m_connection)) {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        const bool ours = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                          notify->window == m_window && notify->atom == marker;
        const xcb_timestamp_t time = ours ? notify->time : XCB_CURRENT_TIME;
        std::free(event);
        if (ours)
            return time;
    }
    return XCB_CURRENT_TIME;
}

bool X11ClipboardOwner::own(ClipboardOffer& offer) {
    m_offer = &offer;
    m_ownedSince = serverTime();
    const xcb_atom_t selection = atom(selectionName);
    xcb_set_selection_owner(m_connection, m_window, selection, m_ownedSince);
    const auto owner = xcbReply(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
    m_owned = owner && owner->owner == m_window;
    return m_owned;
}

void X11ClipboardOwner::serve() {
    pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
    while (!xcb_connection_has_error(m_connection)) {
        // Replies waited for while answering may have queued events: take all before sleeping.
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            handle(event);
            std::free(event);
        }
        dropStalledTransfers();
        if (!m_owned && m_transfers.empty())
            return;
        xcb_flush(m_connection);
        ::poll(&socket, 1, pollTimeoutMilliseconds());
    }
}

int X11ClipboardOwner::pollTimeoutMilliseconds() const {
    if (m_transfers.empty())
        return -1;
    auto oldest = std::chrono::steady_clock::time_point::max();
    for (const auto& [key, transfer] : m_transfers)
        oldest = std::min(oldest, transfer.lastActivity);
    const auto left = oldest + stalledTransfer - std::chrono::steady_clock::now();
    return int(std::max<std::int64_t>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(left).count() + 1));
}

void X11ClipboardOwner::dropStalledTransfers() {
    const auto now = std::chrono::steady_clock::now();
    for (auto entry = m_transfers.begin(); entry != m_transfers.end();) {
        if (now - entry->second.lastActivity < stalledTransfer) {
            ++entry;
            continue;
        }
        const xcb_window_t requestor = entry->first.first;
        entry = m_transfers.erase(entry);
        stopWatching(requestor);
    }
}

// A receiver's property changes are heard while any transfer to it is under way.
void X11ClipboardOwner::stopWatching(xcb_window_t requestor) {
    for (const auto& [key, transfer] : m_transfers) {
        if (key.first == requestor)
            return;
    }
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(m_connection, requestor, XCB_CW_EVENT_MASK, &none);
}

void X11ClipboardOwner::handle(const xcb_generic_event_t* event) {
    switch (event->response_type & 0x7f) {
    case XCB_SELECTION_REQUEST:
        answer(*reinterpret_cast<const xcb_selection_request_event_t*>(event));
        break;
    case XCB_SELECTION_CLEAR: {
        const auto* clear = reinterpret_cast<const xcb_selection_clear_event_t*>(event);
        if (clear->owner == m_window && clear->selection == atom(selectionName))
            m_owned = false;
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->state == XCB_PROPERTY_DELETE)
            continueTransfer(notify->window, notify->atom);
        break;
    }
    default: // errors from a receiver that went away mid-answer change nothing
        break;
    }
}

void X11ClipboardOwner::answer(const xcb_selection_request_event_t& request) {
    // Pre-ICCCM receivers name no property: the target doubles as one.
    const xcb_atom_t property =
        request.property == XCB_ATOM_NONE ? request.target : request.property;
    const bool current = m_owned && request.selection == atom(selectionName) &&
                         (request.time == XCB_CURRENT_TIME || request.time >= m_ownedSince);
    const bool done = current && (request.target == atom("MULTIPLE")
                                      ? convertMultiple(request.requestor, property)
                                      : convert(request.requestor, property, request.target));
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = done ? property : xcb_atom_t(XCB_ATOM_NONE);
    xcb_send_event(m_connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
}

bool X11ClipboardOwner::convert(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target) {
    if (target == atom("TARGETS")) {
        std::vector<xcb_atom_t> atoms{atom("TARGETS"), atom("TIMESTAMP"), atom("MULTIPLE")};
        for (const std::string& name : m_offer->names())
            atoms.push_back(atom(name.c_str()));
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM,
                            32, std::uint32_t(atoms.size()), atoms.data());
        return true;
    }
    if (target == atom("TIMESTAMP")) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &m_ownedSince);
        return true;
    }
    const std::string name = atomName(target);
    if (name.empty())
        return false;
    const auto value = m_offer->render(name);
    if (!value)
        return false;
    // TEXT lets the owner choose an encoding; ours is STRING's.
    const xcb_atom_t type = name == "TEXT" ? xcb_atom_t(XCB_ATOM_STRING) : target;
    return sendValue(requestor, property, type, *value);
}

// MULTIPLE: the property lists (target, property) pairs; a pair that cannot be converted gets
// None as its property, and the list is written back.
bool X11ClipboardOwner::convertMultiple(xcb_window_t requestor, xcb_atom_t property) {
    const auto reply = xcbReply(xcb_get_property_reply(
        m_connection,
        xcb_get_property(m_connection, 0, requestor, property, atom("ATOM_PAIR"), 0, 1 << 16),
        nullptr));
    if (!reply || reply->format != 32)
        return false;
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    std::vector<xcb_atom_t> pairs(static_cast<std::size_t>(count));
    std::memcpy(pairs.data(), xcb_get_property_value(reply.get()), std::size_t(count) * 4);
    for (int index = 0; index + 1 < count; index += 2) {
        if (!convert(requestor, pairs[index + 1], pairs[index]))
            pairs[index + 1] = XCB_ATOM_NONE;
    }
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property, atom("ATOM_PAIR"),
                        32, std::uint32_t(pairs.size()), pairs.data());
    return true;
}

bool X11ClipboardOwner::sendValue(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type,
                                  const std::string& value) {
    if (value.size() <= m_chunkBytes) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                            byteCount(value.size()), value.data());
        return true;
    }
    // INCR: the size as a lower bound, then each chunk once the receiver has deleted the last;
    // the receiver's property changes are heard before the first can happen.
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, requestor, XCB_CW_EVENT_MASK, &events);
    const std::uint32_t size = byteCount(value.size());
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property, atom("INCR"), 32,
                        1, &size);
    m_transfers[{requestor, property}] =
        Transfer{type, value, 0, false, std::chrono::steady_clock::now()};
    return true;
}

void X11ClipboardOwner::continueTransfer(xcb_window_t requestor, xcb_atom_t property) {
    const auto found = m_transfers.find({requestor, property});
    if (found == m_transfers.end())
        return;
    Transfer& transfer = found->second;
    if (transfer.finished) {
        m_transfers.erase(found);
        stopWatching(requestor);
        return;
    }
    // The last call sends nothing: an empty chunk ends the transfer.
    const std::size_t length = std::min(m_chunkBytes, transfer.data.size() - transfer.sent);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, requestor, property, transfer.type, 8,
                        byteCount(length), transfer.data.data() + transfer.sent);
    transfer.sent += length;
    transfer.finished = length == 0;
    transfer.lastActivity = std::chrono::steady_clock::now();
}

} // namespace vantrel
