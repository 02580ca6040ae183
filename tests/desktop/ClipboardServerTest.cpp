// The clipboard server a command leaves behind, read by real clients: xclip for every target
// (values larger than one property come INCR) and a raw xcb client for MULTIPLE.
#include "support/DesktopTools.h"
#include "support/VantrelProcess.h"
#include "support/WaitUntil.h"

#include "platform/FileWriter.h"
#include "platform/clipboard/ClipboardServer.h"
#include "platform/clipboard/X11ClipboardOwner.h"
#include "platform/clipboard/XcbReply.h"
#include "platform/linux/ClipboardPayload.h"
#include "platform/linux/ClipboardTargets.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantrel::testing {
namespace {

// Text and a picture each larger than one INCR chunk (noise does not compress).
ClipboardPayload largePayload() {
    ClipboardPayload payload;
    payload.urls = {QUrl::fromLocalFile("/tmp/a b/capture.md")};
    payload.text = QString("Ünïcode → line\n").repeated(40'000).toUtf8();
    payload.json = "{\"tree\":[]}";
    QImage noise(400, 300, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        random.fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)), noise.width());
    payload.image = noise.convertToFormat(QImage::Format_RGB32);
    return payload;
}

// Starts a server on the payload, as a command does, and waits until it owns the clipboard.
void startServer(const VantrelProcess& vantrel, QProcess& server, const ClipboardPayload& payload) {
    const QString path = vantrel.home() + "/clipboard-test.payload";
    vantrel.start(server, VANTREL_CLIPBOARD_SERVER,
                  {path, QString::number(QCoreApplication::applicationPid()), "x11"});
    ASSERT_TRUE(server.waitForStarted());
    // Whole or not at all, as a command hands it over.
    ASSERT_TRUE(FileWriter::writeNew(path + ".part", QByteArray::fromStdString(payload.encoded())));
    ASSERT_TRUE(QFile::rename(path + ".part", path));
    ASSERT_TRUE(waitUntil([&] { return !QFileInfo::exists(path); }));
    ASSERT_FALSE(QFileInfo::exists(path + ".error"));
}

// Asks for MULTIPLE with the pairs on a window of our own; the list as the server wrote it back,
// empty when the answer named no property (a refusal).
QList<xcb_atom_t> askMultiple(xcb_connection_t* c, xcb_window_t window,
                              const QList<xcb_atom_t>& pairs) {
    const auto atom = [c](const char* name) {
        return xcbReply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), 0))
            ->atom;
    };
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom("PAIRS"), atom("ATOM_PAIR"), 32,
                        pairs.size(), pairs.constData());
    xcb_convert_selection(c, window, atom("CLIPBOARD"), atom("MULTIPLE"), atom("PAIRS"),
                          XCB_CURRENT_TIME);
    xcb_flush(c);
    xcb_atom_t answered = XCB_ATOM_NONE;
    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const bool notified = (event->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
        if (notified)
            answered = reinterpret_cast<xcb_selection_notify_event_t*>(event)->property;
        std::free(event);
        if (notified)
            break;
    }
    if (answered != atom("PAIRS"))
        return {};
    const auto reply = xcbReply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom("PAIRS"), XCB_ATOM_ANY, 0, 64), nullptr));
    const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

TEST(ClipboardServer, ServesEveryTargetWholeAndLeavesWhenAnotherProgramCopies) {
    const ClipboardPayload payload = largePayload();
    VantrelProcess vantrel;
    QProcess server;
    startServer(vantrel, server, payload);
    // It speaks to the X server itself and loads no Qt at all.
    const QByteArray maps =
        VantrelProcess::readBytes(QString("/proc/%1/maps").arg(server.processId()));
    ASSERT_TRUE(maps.contains("libxcb"));
    EXPECT_FALSE(maps.contains("libQt6"));

    ClipboardOffer expected = ClipboardTargets::offer(payload);
    QList<QByteArray> names;
    for (const std::string& name : expected.names())
        names.append(QByteArray::fromStdString(name));
    ASSERT_GT(expected.render("text/plain")->size(), X11ClipboardOwner::chunkBytes);
    ASSERT_GT(expected.render("image/png")->size(), X11ClipboardOwner::chunkBytes);
    for (const QByteArray& name : names)
        EXPECT_EQ(clipboard(name),
                  QByteArray::fromStdString(expected.render(name.toStdString()).value_or("")))
            << name.constData();
    const QList<QByteArray> offered = clipboard("TARGETS").trimmed().split('\n');
    EXPECT_EQ(offered, QList<QByteArray>({"TARGETS", "TIMESTAMP", "MULTIPLE"}) + names);
    EXPECT_EQ(clipboard("image/bmp"), "");

    // MULTIPLE: what can be converted is, what cannot gets None in its pair.
    const std::shared_ptr<xcb_connection_t> c(xcb_connect(nullptr, nullptr), xcb_disconnect);
    const xcb_window_t window = xcb_generate_id(c.get());
    xcb_create_window(c.get(), 0, window,
                      xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, 0, 0, nullptr);
    const auto atom = [&](const char* name) {
        return xcbReply(xcb_intern_atom_reply(
                            c.get(), xcb_intern_atom(c.get(), 0, strlen(name), name), nullptr))
            ->atom;
    };
    const QList<xcb_atom_t> pairs{atom("application/json"), atom("P1"), atom("image/bmp"),
                                  atom("P2")};
    EXPECT_EQ(askMultiple(c.get(), window, pairs),
              (QList<xcb_atom_t>{pairs[0], pairs[1], pairs[2], XCB_ATOM_NONE}));
    const auto json = xcbReply(xcb_get_property_reply(
        c.get(), xcb_get_property(c.get(), 0, window, atom("P1"), XCB_ATOM_ANY, 0, 64), nullptr));
    EXPECT_EQ(QByteArray(static_cast<const char*>(xcb_get_property_value(json.get())),
                         xcb_get_property_value_length(json.get())),
              payload.json);

    QProcess::execute("bash", {"-c", "echo other | xclip -selection clipboard >/dev/null 2>&1"});
    EXPECT_TRUE(server.waitForFinished(int(kDesktopDeadline.count())));
    EXPECT_EQ(server.exitCode(), 0);
    EXPECT_EQ(clipboard("UTF8_STRING"), "other\n");
}

// A command that ended but that its parent has not collected yet still answers kill(): the
// server must see it as gone, or it waits for a payload that never comes.
TEST(ClipboardServer, TakesAnEndedUncollectedCommandForGone) {
    EXPECT_TRUE(ClipboardServer::isRunning(QCoreApplication::applicationPid()));
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    siginfo_t ended{};
    ASSERT_EQ(::waitid(P_PID, id_t(child), &ended, WEXITED | WNOWAIT), 0); // left uncollected
    EXPECT_FALSE(ClipboardServer::isRunning(child));
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_FALSE(ClipboardServer::isRunning(child));
}

// A payload file of up to 1 GiB is read (these are zeros: damaged); one byte more is refused
// before anything is read. The files are sparse, so the test costs no disk.
TEST(ClipboardServer, ReadsAPayloadOfUpToOneGibibyte) {
    constexpr qint64 largest = qint64(1) << 30;
    const std::pair<qint64, QString> cases[] = {
        {largest, "the payload file is damaged: it is not a clipboard payload of this version"},
        {largest + 1, "not a private payload file"}};
    VantrelProcess vantrel;
    for (const auto& [size, reason] : cases) {
        SCOPED_TRACE(size);
        const QString path = vantrel.home() + "/limit.payload";
        QProcess server;
        vantrel.start(server, VANTREL_CLIPBOARD_SERVER,
                      {path, QString::number(QCoreApplication::applicationPid()), "x11"});
        ASSERT_TRUE(server.waitForStarted());
        ASSERT_TRUE(FileWriter::writeNew(path + ".part", {}));
        ASSERT_TRUE(QFile::resize(path + ".part", size));
        ASSERT_TRUE(QFile::rename(path + ".part", path));
        ASSERT_TRUE(server.waitForFinished(int(kDesktopDeadline.count())));
        EXPECT_EQ(server.exitCode(), 1);
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_EQ(VantrelProcess::readBytes(path + ".error"), reason.toUtf8());
        ASSERT_TRUE(QFile::remove(path + ".error"));
    }
}

} // namespace
} // namespace vantrel::testing
