#include "GnomeShellHelper.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QFile>

#include <sys/mman.h>
#include <unistd.h>

namespace vantrel {

const QString GnomeShellHelper::service = QStringLiteral("com.vantrel.Vantrel.ShellHelper");
const QString GnomeShellHelper::path = QStringLiteral("/com/vantrel/Vantrel/ShellHelper");
const QString GnomeShellHelper::interface = QStringLiteral("com.vantrel.Vantrel.ShellHelper");
const QString GnomeShellHelper::extensionUuid = QStringLiteral("vantrel@quendale.com");

namespace {

// A window list or picture answers in milliseconds; a shell that takes this long is stuck.
constexpr int gnomeHelperTimeoutMs = 5000;

QDBusMessage helperCall(const QString& method) {
    return QDBusMessage::createMethodCall(GnomeShellHelper::service, GnomeShellHelper::path,
                                          GnomeShellHelper::interface, method);
}

QRect helperRect(const QVariant& value) {
    const QDBusArgument argument = value.value<QDBusArgument>();
    int x = 0, y = 0, width = 0, height = 0;
    argument.beginStructure();
    argument >> x >> y >> width >> height;
    argument.endStructure();
    return {x, y, width, height};
}

CompositorWindow helperWindow(const QVariantMap& entry) {
    CompositorWindow window;
    window.id = entry.value("id").toULongLong();
    window.title = entry.value("title").toString();
    window.pid = entry.value("pid").toLongLong();
    window.applicationClass = entry.value("wmClass").toString();
    window.frame = helperRect(entry.value("frame"));
    window.buffer = helperRect(entry.value("buffer"));
    window.x11Client = entry.value("client").toString() == u"x11";
    window.focused = entry.value("focused").toBool();
    window.maximized = entry.value("maximized").toBool();
    return window;
}

PlatformError helperError(const QDBusMessage& reply) {
    return {QStringLiteral("GNOME Shell"), 1, reply.errorMessage()};
}

// The picture travels through an anonymous file this process creates: nothing lands on disk,
// nobody else can open it, and the shell never waits for us to read as it would on a pipe.
QByteArray readWhole(int fd) {
    QByteArray bytes;
    if (lseek(fd, 0, SEEK_SET) != 0)
        return {};
    char chunk[65536];
    for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) != 0;) {
        if (got < 0)
            return {};
        bytes.append(chunk, got);
    }
    return bytes;
}

} // namespace

GnomeExtensionState GnomeShellHelper::probe() {
    // A connection of its own: the tray app asks before Qt's application object exists, to pick
    // Qt's platform, and the default connection must not be made that early.
    const QString name = QStringLiteral("vantrel-extension-probe");
    GnomeExtensionState state;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
        const QDBusMessage reply =
            bus.call(helperCall(QStringLiteral("Version")), QDBus::Block, gnomeHelperTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage)
            state = {
                false, {}, bus.isConnected() ? reply.errorMessage() : bus.lastError().message()};
        else
            state = {true, reply.arguments().value(0).toString(), {}};
    }
    QDBusConnection::disconnectFromBus(name);
    return state;
}

std::optional<QString> GnomeShellHelper::problem(const GnomeExtensionState& state,
                                                 const QString& appVersion) {
    if (!state.answers)
        return QStringLiteral("The Vantrel extension of GNOME Shell does not answer (%1). Turn "
                              "it on in Extensions, or run: gnome-extensions enable %2")
            .arg(state.error, extensionUuid);
    if (state.version != appVersion)
        return versionMismatch(state.version, appVersion);
    return std::nullopt;
}

std::unique_ptr<GnomeShellHelper> GnomeShellHelper::connect(const QString& appVersion,
                                                            QString& reason) {
    if (const std::optional<QString> found = problem(probe(), appVersion)) {
        reason = *found;
        return nullptr;
    }
    return std::unique_ptr<GnomeShellHelper>(new GnomeShellHelper(QDBusConnection::sessionBus()));
}

QString GnomeShellHelper::versionMismatch(const QString& extensionVersion,
                                          const QString& appVersion) {
    return QStringLiteral("The Vantrel extension of GNOME Shell is version %1, but Vantrel is "
                          "version %2. Log out and back in so that GNOME Shell loads the "
                          "extension installed with this Vantrel.")
        .arg(extensionVersion, appVersion);
}

GnomeShellHelper::GnomeShellHelper(QDBusConnection bus)
    : m_bus(std::move(bus)),
      m_helperWatcher(service, m_bus, QDBusServiceWatcher::WatchForRegistration) {
    // The extension was turned off and on, or updated, while the app ran: what it held for us
    // went with its old self.
    QObject::connect(&m_helperWatcher, &QDBusServiceWatcher::serviceRegistered, this,
                     &GnomeShellHelper::subscribeAgain);
}

void GnomeShellHelper::subscribeAgain() {
    if (m_shortcutHandler)
        m_bus.call(helperCall(QStringLiteral("WatchShortcuts")), QDBus::Block,
                   gnomeHelperTimeoutMs);
    if (m_menuHandler)
        showStatusMenu(m_menu, m_menuHandler);
}

std::optional<QPoint> GnomeShellHelper::pointer() {
    const QDBusMessage reply =
        m_bus.call(helperCall(QStringLiteral("Pointer")), QDBus::Block, gnomeHelperTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return std::nullopt;
    return QPoint(reply.arguments()[0].toInt(), reply.arguments()[1].toInt());
}

std::optional<QList<CompositorWindow>> GnomeShellHelper::windows() {
    const QDBusMessage reply =
        m_bus.call(helperCall(QStringLiteral("Windows")), QDBus::Block, gnomeHelperTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qWarning("GNOME Shell's window list: %s", qPrintable(reply.errorMessage()));
        return std::nullopt;
    }
    QList<CompositorWindow> windows;
    const QDBusArgument list = reply.arguments()[0].value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QVariantMap entry;
        list >> entry;
        windows.append(helperWindow(entry));
    }
    list.endArray();
    return windows;
}

QList<CompositorMonitor> GnomeShellHelper::monitors() {
    const QDBusMessage reply =
        m_bus.call(helperCall(QStringLiteral("Monitors")), QDBus::Block, gnomeHelperTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QList<CompositorMonitor> monitors;
    const QDBusArgument list = reply.arguments()[0].value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        CompositorMonitor monitor;
        int x = 0, y = 0, width = 0, height = 0;
        list.beginStructure();
        list >> x >> y >> width >> height >> monitor.scale;
        list.endStructure();
        monitor.area = QRect(x, y, width, height);
        monitors.append(monitor);
    }
    list.endArray();
    return monitors;
}

std::variant<QImage, PlatformError> GnomeShellHelper::picture(const QRect& area) {
    const int fd = memfd_create("vantrel-picture", MFD_CLOEXEC);
    if (fd < 0)
        return PlatformError{QStringLiteral("GNOME Shell"), errno,
                             QStringLiteral("No memory for a picture: %1").arg(qt_error_string())};
    const QDBusUnixFileDescriptor file(fd); // holds a copy
    QDBusMessage call = helperCall(QStringLiteral("PictureOfArea"));
    call << area.x() << area.y() << area.width() << area.height() << QVariant::fromValue(file);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, gnomeHelperTimeoutMs);
    const QByteArray png =
        reply.type() == QDBusMessage::ReplyMessage ? readWhole(fd) : QByteArray();
    close(fd);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return helperError(reply);
    QImage image;
    if (!image.loadFromData(png, "PNG"))
        return PlatformError{QStringLiteral("GNOME Shell"), 2,
                             QStringLiteral("GNOME Shell's picture of %1×%2 pixels is unreadable.")
                                 .arg(area.width())
                                 .arg(area.height())};
    return image;
}

std::variant<QMap<QString, QString>, PlatformError>
GnomeShellHelper::watchShortcuts(ShortcutHandler handler) {
    m_shortcutHandler = std::move(handler);
    m_bus.connect(service, path, interface, QStringLiteral("ShortcutPressed"), this,
                  SLOT(onShortcutPressed(QString)));
    const QDBusMessage reply = m_bus.call(helperCall(QStringLiteral("WatchShortcuts")),
                                          QDBus::Block, gnomeHelperTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return helperError(reply);
    QMap<QString, QString> clashes;
    reply.arguments()[0].value<QDBusArgument>() >> clashes;
    return clashes;
}

void GnomeShellHelper::onShortcutPressed(const QString& shortcut) {
    if (m_shortcutHandler)
        m_shortcutHandler(shortcut);
}

} // namespace vantrel

namespace vantrel {

bool GnomeShellHelper::showStatusMenu(const QString& serialisedMenu, MenuHandler handler) {
    m_menu = serialisedMenu;
    m_menuHandler = std::move(handler);
    if (!m_menuWatched)
        m_menuWatched = m_bus.connect(service, path, interface, QStringLiteral("MenuItemActivated"),
                                      this, SLOT(onMenuItemActivated(QString)));
    QDBusMessage call = helperCall(QStringLiteral("SetMenu"));
    call << serialisedMenu;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, gnomeHelperTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qWarning("GNOME Shell's top bar: %s", qPrintable(reply.errorMessage()));
    return false;
}

bool GnomeShellHelper::showToast(const QString& text) {
    QDBusMessage call = helperCall(QStringLiteral("ShowToast"));
    call << text;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, gnomeHelperTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    qWarning("GNOME Shell's toast: %s", qPrintable(reply.errorMessage()));
    return false;
}

void GnomeShellHelper::onMenuItemActivated(const QString& itemId) {
    if (m_menuHandler)
        m_menuHandler(itemId);
}

} // namespace vantrel
