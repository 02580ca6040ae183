#include "ClipboardServer.h"

#include "ClipboardOffer.h"
#include "WaylandClipboardOwner.h"
#include "X11ClipboardOwner.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace vantrel {

namespace {

constexpr off_t largestPayload = off_t(1) << 30;
constexpr int commandCheckMilliseconds = 100;

std::string payloadSystemReason() {
    return std::strerror(errno);
}

// A file mapped into memory, read only; unmapped with the last owner.
struct MappedPayload {
    std::shared_ptr<const void> owner;
    std::string_view bytes;
};

// Only a private regular file of ours is read: the path comes from the command line. It is
// mapped, not read: the pixels are touched only when a receiver asks for the PNG.
std::optional<MappedPayload> mapPrivateFile(const std::string& path, std::string& reason) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        reason = payloadSystemReason();
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 077) != 0 ||
        status.st_size > largestPayload) {
        reason = "not a private payload file";
        ::close(descriptor);
        return std::nullopt;
    }
    const std::size_t size = std::size_t(status.st_size);
    void* mapped =
        size == 0 ? nullptr : ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
    ::close(descriptor);
    if (mapped == MAP_FAILED) {
        reason = "the payload file could not be read: " + payloadSystemReason();
        return std::nullopt;
    }
    return MappedPayload{std::shared_ptr<const void>(mapped,
                                                     [size](const void* address) {
                                                         if (address)
                                                             ::munmap(const_cast<void*>(address),
                                                                      size);
                                                     }),
                         std::string_view(static_cast<const char*>(mapped), size)};
}

// Creates path, which must not exist yet, with the bytes; false, with nothing left, when any
// step fails.
bool writeNewFile(const std::string& path, const std::string& bytes) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    std::size_t done = 0;
    bool ok = true;
    while (done < bytes.size() && ok) {
        const ssize_t written = ::write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written > 0)
            done += std::size_t(written);
        else
            ok = written < 0 && errno == EINTR;
    }
    ok = ::close(descriptor) == 0 && ok;
    if (!ok)
        ::unlink(path.c_str());
    return ok;
}

// The command waits for the payload file to go; the reason file, put in place whole before that,
// tells it why. A reason that cannot be written leaves the payload: the command then sees the
// server end without taking it, never a payload gone without a reason, which reads as success.
int fail(const std::string& payloadPath, const std::string& reason) {
    const std::string errorPath = ClipboardServer::errorPath(payloadPath);
    const std::string draft = errorPath + ".part";
    if (writeNewFile(draft, reason)) {
        if (std::rename(draft.c_str(), errorPath.c_str()) == 0) {
            ::unlink(payloadPath.c_str());
            return 1;
        }
        ::unlink(draft.c_str());
    }
    return 1;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? "/" : path.substr(0, slash);
}

// The payload's name appears whole (it is renamed into place). False when the command that
// started us ended without one: its capture failed, and there is nothing to serve.
bool waitForPayload(const std::string& path, std::int64_t commandPid) {
    const auto arrived = [&] { return ::access(path.c_str(), F_OK) == 0; };
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch >= 0)
        ::inotify_add_watch(watch, folderOf(path).c_str(), IN_MOVED_TO | IN_CREATE);
    // The watch cannot see the command end; a slow look now and then can.
    pollfd changes{watch, POLLIN, 0};
    while (!arrived() && ClipboardServer::isRunning(commandPid)) {
        if (::poll(&changes, watch >= 0 ? 1 : 0, commandCheckMilliseconds) > 0) {
            char events[4096];
            while (::read(watch, events, sizeof events) > 0) {
            }
        }
    }
    if (watch >= 0)
        ::close(watch);
    return arrived();
}

// The payload the command handed over, once it is there; else the exit code.
std::variant<ClipboardOffer, int> takePayload(const std::string& payloadPath,
                                              std::int64_t commandPid,
                                              const std::optional<std::string>& connectionError) {
    if (!waitForPayload(payloadPath, commandPid))
        return 0;
    if (connectionError)
        return fail(payloadPath, *connectionError);
    std::string reason;
    const auto payload = mapPrivateFile(payloadPath, reason);
    if (!payload)
        return fail(payloadPath, reason);
    ClipboardOffer::Decoded decoded = ClipboardOffer::decode(payload->bytes, payload->owner);
    if (!decoded.offer)
        return fail(payloadPath, "the payload file is damaged: " + decoded.error);
    return std::move(*decoded.offer);
}

int serveX11(const std::string& payloadPath, std::int64_t commandPid) {
    std::string connectionError;
    const auto owner = X11ClipboardOwner::connect(connectionError);
    auto taken =
        takePayload(payloadPath, commandPid, owner ? std::nullopt : std::optional(connectionError));
    if (const int* exitCode = std::get_if<int>(&taken))
        return *exitCode;
    if (!owner->own(std::get<ClipboardOffer>(taken)))
        return fail(payloadPath, "the X server did not give us the clipboard");
    ::unlink(payloadPath.c_str());
    owner->serve();
    return 0;
}

int serveWayland(const std::string& payloadPath, std::int64_t commandPid) {
    std::string connectionError;
    const auto owner = WaylandClipboardOwner::connect(connectionError);
    auto taken =
        takePayload(payloadPath, commandPid, owner ? std::nullopt : std::optional(connectionError));
    if (const int* exitCode = std::get_if<int>(&taken))
        return *exitCode;
    auto& offer = std::get<ClipboardOffer>(taken);
    const auto refused = owner->own(offer.mimeTypes(), [&offer](const std::string& type) {
        return offer.renderMimeType(type);
    });
    if (refused)
        return fail(payloadPath, *refused);
    ::unlink(payloadPath.c_str());
    owner->serve();
    return 0;
}

} // namespace

bool ClipboardServer::isRunning(std::int64_t pid) {
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH))
        return false;
    // An ended process whose parent has not collected it yet still answers kill(); its state
    // in /proc says it is a zombie ("pid (name) Z ...").
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return true;
    const std::string line{std::istreambuf_iterator<char>(stat), std::istreambuf_iterator<char>()};
    const std::size_t nameEnd = line.rfind(')');
    return nameEnd == std::string::npos || line.compare(nameEnd + 1, 2, " Z") != 0;
}

const char* ClipboardServer::sessionArgument(Session session) {
    return session == Session::wayland ? "wayland" : "x11";
}

std::optional<ClipboardServer::Session>
ClipboardServer::sessionFromArgument(std::string_view argument) {
    for (const Session session : {Session::x11, Session::wayland}) {
        if (argument == sessionArgument(session))
            return session;
    }
    return std::nullopt;
}

int ClipboardServer::serve(const std::string& payloadPath, std::int64_t commandPid,
                           Session session) {
    // A receiver that closes its end of a transfer early must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    // Connected while the command still captures, so that taking the clipboard costs next to
    // nothing once the payload is there.
    return session == Session::wayland ? serveWayland(payloadPath, commandPid)
                                       : serveX11(payloadPath, commandPid);
}

} // namespace vantrel
