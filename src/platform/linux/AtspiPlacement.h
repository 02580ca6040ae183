#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

namespace vantrel {

// Where an application's AT-SPI coordinates lie on the desktop. On X11, AT-SPI answers in screen
// coordinates itself and no placement is needed. On Wayland every extent is relative to its
// window, and only the compositor knows where that window is.
class AtspiPlacement {
  public:
    // A top-level AT-SPI window, as much as AT-SPI tells of it.
    struct Window {
        qint64 pid = 0;
        QString title;
        QSize size;      // of its window-relative extents
        QString toolkit; // AT-SPI's toolkit name: "gtk", "Qt", ...
    };

    // How to read the extents of the window and of everything in it: in screen coordinates (as
    // an X11 client through Xwayland gives them), or relative to the window with its (0, 0) at
    // this root pixel.
    struct Origin {
        bool screenCoordinates = false;
        QPoint rootPixel;
    };

    virtual ~AtspiPlacement() = default;

    // None when the compositor does not know the window: its elements then have no frame.
    virtual std::optional<Origin> windowOrigin(const Window& window) = 0;
};

} // namespace vantrel
