#include "X11ShmPool.h"

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace vantrel {

namespace {

struct Loan {
    std::shared_ptr<X11ShmPool> pool;
    X11ShmPool::Segment segment;
};

void returnLoan(void* info) {
    const auto* loan = static_cast<Loan*>(info);
    loan->pool->giveBack(loan->segment);
    delete loan;
}

} // namespace

X11ShmPool::X11ShmPool(xcb_connection_t* connection) : m_connection(connection) {}

std::optional<X11ShmPool::Segment> X11ShmPool::take(size_t bytes) {
    {
        const std::lock_guard lock(m_mutex);
        // The smallest kept segment that holds the picture.
        auto best = m_free.end();
        for (auto it = m_free.begin(); it != m_free.end(); ++it) {
            if (it->size >= bytes && (best == m_free.end() || it->size < best->size))
                best = it;
        }
        if (best != m_free.end()) {
            const Segment segment = *best;
            m_free.erase(best);
            return segment;
        }
    }
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t size = (bytes + page - 1) / page * page;
    const int shmId = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (shmId < 0)
        return std::nullopt;
    void* address = shmat(shmId, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(shmId, IPC_RMID, nullptr);
        return std::nullopt;
    }
    const xcb_shm_seg_t id = xcb_generate_id(m_connection);
    xcb_generic_error_t* error =
        xcb_request_check(m_connection, xcb_shm_attach_checked(m_connection, id, shmId, 0));
    // Both sides hold it now (or the server never will): it goes when the last one lets go, also
    // when this process dies.
    shmctl(shmId, IPC_RMID, nullptr);
    if (error != nullptr) {
        std::free(error);
        shmdt(address);
        return std::nullopt;
    }
    return Segment{id, address, size};
}

QImage X11ShmPool::wrap(const std::shared_ptr<X11ShmPool>& pool, const Segment& segment, QSize size,
                        qsizetype bytesPerLine, QImage::Format format) {
    return QImage(static_cast<uchar*>(segment.address), size.width(), size.height(), bytesPerLine,
                  format, &returnLoan, new Loan{pool, segment});
}

void X11ShmPool::giveBack(const Segment& segment) {
    bool serverSide = true;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_closed && m_free.size() < kept) {
            m_free.push_back(segment);
            return;
        }
        serverSide = !m_closed;
    }
    release(segment, serverSide);
}

void X11ShmPool::close() {
    std::vector<Segment> segments;
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        segments.swap(m_free);
    }
    for (const Segment& segment : segments)
        release(segment, true);
}

void X11ShmPool::release(const Segment& segment, bool serverSide) {
    if (serverSide) {
        // xcb is thread-safe: an image may go on another thread.
        xcb_shm_detach(m_connection, segment.id);
        xcb_flush(m_connection);
    }
    shmdt(segment.address);
}

} // namespace vantrel
