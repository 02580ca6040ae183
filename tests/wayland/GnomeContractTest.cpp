// The backend contract (support/BackendContract.h) against the Wayland backend on the private
// headless GNOME Shell, with the same two GTK windows the X11 desktop gets.
#include "platform/wayland/WaylandDesktop.h"
#include "support/BackendContract.h"
#include "support/RemoteInput.h"
#include "support/WaitUntil.h"
#include "support/WaylandProbe.h"

#include <QProcess>

namespace vantrel::testing {
namespace {

std::unique_ptr<WaylandDesktop> openGnome() {
    QString reason;
    auto desktop = WaylandDesktop::open(qEnvironmentVariable("VANTREL_TEST_BIN") + "/vantrel",
                                        VANTREL_VERSION, reason);
    if (!desktop)
        throw std::runtime_error(reason.toStdString());
    return desktop;
}

class GnomeContract {
  public:
    GnomeContract()
        : m_desktop(openGnome()),
          m_back(WaylandProbe::gtk(m_desktop->helper(),
                                   {"--title", "Back Probe", "--size", "1000x320"})),
          m_front(WaylandProbe::gtk(m_desktop->helper())) {
        m_front.waitForAccessible("Paint", "push button");
        m_back.waitForAccessible("Paint", "push button");
        // Without a keyboard on the seat no client may set the clipboard.
        m_input.plugIn();
    }

    const QString closedWindowText = "The window 0x7ffffff0 has closed.";
    Platform platform() { return m_desktop->platform(); }
    KnownWindow front() const { return known(m_front); }
    KnownWindow back() const { return known(m_back); }
    // Raised as a user does it: a click on its header bar, where the other window leaves it
    // uncovered and away from its close button. The back window is the wider, so that whatever
    // the shell's placement, some of its header bar shows.
    void raise(const KnownWindow& window) {
        const bool front = window.pid == m_front.pid();
        const QRect target = (front ? m_front : m_back).window(m_desktop->helper()).frame;
        const QRect other = (front ? m_back : m_front).window(m_desktop->helper()).frame;
        const auto uncovered = [&]() -> std::optional<QPoint> {
            for (int x = target.left() + 10; x < target.right() - 80; x += 10) {
                if (const QPoint header(x, target.top() + 12); !other.contains(header))
                    return header;
            }
            return std::nullopt;
        }();
        if (!uncovered || !m_input.moveTo(m_desktop->helper(), *uncovered)) {
            ADD_FAILURE() << "no uncovered header bar to click on " << qPrintable(window.title);
            return;
        }
        m_input.leftButton(true);
        m_input.leftButton(false);
        waitUntil([&] {
            const auto list = m_desktop->platform().windowServer.onScreenWindows();
            return list && !list->isEmpty() && list->first().name == window.title;
        });
    }
    std::optional<QString> publishPasteboard() { return m_desktop->handOffClipboard(); }
    QString readBack(const QString& type) const {
        QProcess paste;
        paste.start("wl-paste", {"--no-newline", "--type",
                                 type == "UTF8_STRING" ? "text/plain;charset=utf-8" : type});
        paste.waitForFinished(30000);
        return QString::fromUtf8(paste.readAllStandardOutput());
    }

  private:
    KnownWindow known(const WaylandProbe& probe) const {
        const CompositorWindow window = probe.window(m_desktop->helper());
        return {probe.pid(), probe.title(),
                QRectF(probe.paint().translated(window.buffer.topLeft()))};
    }

    std::unique_ptr<WaylandDesktop> m_desktop;
    WaylandProbe m_back;
    WaylandProbe m_front;
    RemoteInput m_input;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Gnome, BackendContract, ::testing::Types<GnomeContract>);

} // namespace
} // namespace vantrel::testing
