#pragma once

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

struct xcb_connection_t;

namespace vantrel::testing {

// What the desktop tests read straight from the X server, apart from the code under test.
class XcbDesktop {
  public:
    struct Window {
        quint32 id = 0;
        qint64 pid = 0;
        QString title;
        QRect geometry; // the client area, root coordinates
        bool viewable = false;
    };

    // Connects to $DISPLAY, which the test main points at the private desktop.
    XcbDesktop();
    ~XcbDesktop();
    XcbDesktop(const XcbDesktop&) = delete;
    XcbDesktop& operator=(const XcbDesktop&) = delete;

    bool isConnected() const;
    // The windows the window manager manages (_NET_CLIENT_LIST).
    QList<Window> clientWindows() const;
    std::optional<QColor> pixel(QPoint rootPoint) const;

  private:
    quint32 atom(const char* name) const;
    QByteArray property(quint32 window, quint32 property, quint32 type) const;
    std::optional<Window> describe(quint32 window) const;

    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
};

} // namespace vantrel::testing
