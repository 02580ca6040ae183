#pragma once

#include <QImage>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct xcb_connection_t;

namespace vantrel {

// System V shared memory segments attached to the X server for MIT-SHM reads, kept for the next
// picture once the image over one goes. A fresh segment costs a page fault per page on both sides
// when the server first writes it — about as much as the read itself; a kept one costs nothing.
// Images may go on any thread: the pool is shared with them and locked.
class X11ShmPool final {
  public:
    struct Segment {
        quint32 id = 0; // the server's name for it (xcb_shm_seg_t)
        void* address = nullptr;
        size_t size = 0;
    };

    explicit X11ShmPool(xcb_connection_t* connection);
    X11ShmPool(const X11ShmPool&) = delete;
    X11ShmPool& operator=(const X11ShmPool&) = delete;

    // A segment of at least this many bytes, attached on both sides; none when the server cannot
    // attach one (no MIT-SHM, another host, another IPC namespace) or the system refuses memory.
    std::optional<Segment> take(size_t bytes);
    // An image over the segment, which comes back to the pool when the image's last copy goes.
    static QImage wrap(const std::shared_ptr<X11ShmPool>& pool, const Segment& segment, QSize size,
                       qsizetype bytesPerLine, QImage::Format format);
    // Back to the pool (or released, beyond the few kept).
    void giveBack(const Segment& segment);
    // Releases the kept segments; segments given back later are only unmapped here (the server
    // lets go of them when the connection closes). Call before the connection goes.
    void close();

  private:
    void release(const Segment& segment, bool serverSide);

    static constexpr size_t kept = 2;

    xcb_connection_t* m_connection;
    std::mutex m_mutex;
    std::vector<Segment> m_free;
    bool m_closed = false;
};

} // namespace vantrel
