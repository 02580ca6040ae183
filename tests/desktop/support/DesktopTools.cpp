#include "DesktopTools.h"

#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <xcb/xcb.h>

#include <cstdlib>

namespace vantrel::testing {

QString toolOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString xdotool(const QStringList& arguments) {
    return toolOutput("xdotool", arguments);
}

QStringList mouseMove(QPoint rootPoint) {
    return {"mousemove", QString::number(rootPoint.x()), QString::number(rootPoint.y())};
}

QRect windowGeometry(const QString& namePattern) {
    // --shell prints X=, Y=, WIDTH=, HEIGHT= lines for each window found.
    const QStringList lines = xdotool({"search", "--onlyvisible", "--name", namePattern,
                                       "getwindowgeometry", "--shell", "%1"})
                                  .split('\n');
    QMap<QString, int> values;
    for (const QString& line : lines)
        values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
    return values.contains("WIDTH")
               ? QRect(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"])
               : QRect();
}

QByteArray clipboard(const QString& target) {
    QProcess xclip;
    xclip.start("xclip", {"-selection", "clipboard", "-t", target, "-o"});
    xclip.waitForFinished();
    return xclip.readAllStandardOutput();
}

void setAccessibilityEnabled(bool enabled) {
    QProcess::execute("gdbus", {"call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                                "/org/a11y/bus", "--method", "org.freedesktop.DBus.Properties.Set",
                                "org.a11y.Status", "IsEnabled", enabled ? "<true>" : "<false>"});
}

namespace {
constexpr int screenHeight = 900; // the fixture's screen
}

QString bottomLeft(QPoint point) {
    return QString("%1,%2").arg(point.x()).arg(screenHeight - point.y());
}

QString bottomLeft(QRect rect) {
    return bottomLeft(rect.bottomLeft() + QPoint(0, 1)) +
           QString(",%1,%2").arg(rect.width()).arg(rect.height());
}

QColor screenPixel(QPoint rootPoint) {
    const QPixmap pixel =
        QGuiApplication::primaryScreen()->grabWindow(0, rootPoint.x(), rootPoint.y(), 1, 1);
    return pixel.toImage().pixelColor(0, 0);
}

int pixelsOfColour(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    }
    return count;
}

QList<quint32> serverKeysyms() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* mapping = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    QList<quint32> keysyms(setup->min_keycode, 0);
    for (int index = 0; mapping && index < count; ++index)
        keysyms.append(
            xcb_get_keyboard_mapping_keysyms(mapping)[index * mapping->keysyms_per_keycode]);
    std::free(mapping);
    xcb_disconnect(connection);
    return keysyms;
}

std::shared_ptr<xcb_connection_t> grabKey(xcb_keysym_t keysym) {
    const std::shared_ptr<xcb_connection_t> connection(xcb_connect(nullptr, nullptr),
                                                       &xcb_disconnect);
    const qsizetype keycode = serverKeysyms().indexOf(keysym);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data->root;
    xcb_generic_error_t* error = xcb_request_check(
        connection.get(),
        xcb_grab_key_checked(connection.get(), 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                             keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool held = keycode > 0 && !error;
    std::free(error);
    return held ? connection : nullptr;
}

} // namespace vantrel::testing
