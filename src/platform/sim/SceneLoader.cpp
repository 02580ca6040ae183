#include "SceneLoader.h"

#include "SceneError.h"
#include "SceneJsonNode.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

namespace {

constexpr qint64 maxPid = std::numeric_limits<qint32>::max();
constexpr qint64 maxUInt32 = std::numeric_limits<quint32>::max();
constexpr qint64 exactLayerLimit = 9007199254740992LL;
constexpr qint64 maxFileSize = 64LL * 1024 * 1024;
const QString defaultBundleName = QStringLiteral("Vantrel");
const QString defaultBundleIdentifier = QStringLiteral("com.vantrel.Vantrel");

double positive(const SceneJsonNode& node) {
    const double value = node.number();
    if (!(value > 0))
        node.expected(QStringLiteral("a positive number"));
    return value;
}

QRectF extent(const SceneJsonNode& node) {
    const QRectF rect = node.rect();
    if (rect.width() < 0 || rect.height() < 0)
        node.expected(
            QStringLiteral("an array of four numbers with a width and height of at least 0"));
    return rect;
}

qint32 pid(const SceneJsonNode& node) {
    return static_cast<qint32>(node.integer(0, maxPid));
}

// The one grammar of attribute values; see "Attribute values" in docs/scene-format.md.
AXReadResult attributeValue(const SceneJsonNode& node) {
    const QJsonValue& value = node.value();
    if (value.isString())
        return {0, value.toString()};
    if (value.isDouble())
        return {0, value.toDouble()};
    if (value.isBool())
        return {0, value.toBool() ? 1.0 : 0.0};
    if (value.isNull())
        return {0, AXNoValue{}};
    static const QStringList kinds{"attributed", "other", "point", "size", "error"};
    if (!value.isObject() || value.toObject().size() != 1) {
        node.expected(QStringLiteral("a string, number, boolean, null or an object with one of "
                                     "the keys attributed, other, point, size, error"));
    }
    const QString kind = node.object(kinds).begin().key();
    const SceneJsonNode payload = node[kind];
    if (kind == u"attributed")
        return {0, AXAttributedString{payload.string()}};
    if (kind == u"other")
        return {0, AXOtherValue{payload.string()}};
    if (kind == u"point")
        return {0, AXPointValue{payload.point()}};
    if (kind == u"size") {
        const QPointF size = payload.point();
        return {0, AXSizeValue{QSizeF(size.x(), size.y())}};
    }
    const auto code =
        payload.integer(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (code == 0)
        payload.expected(QStringLiteral("a non-zero error code"));
    return {static_cast<int>(code), AXNoValue{}};
}

LoginItemService::Status loginItemStatus(const SceneJsonNode& node) {
    using Status = LoginItemService::Status;
    static const QList<std::pair<QString, Status>> names{
        {"notRegistered", Status::notRegistered},
        {"enabled", Status::enabled},
        {"requiresApproval", Status::requiresApproval},
        {"notFound", Status::notFound}};
    for (const auto& [candidate, status] : names) {
        if (node.value().isString() && node.value().toString() == candidate)
            return status;
    }
    node.expected(QStringLiteral(
        "one of \"notRegistered\", \"enabled\", \"requiresApproval\", \"notFound\""));
}

void readAttributes(const SceneJsonNode& node, SceneElement& element) {
    if (node.isMissing())
        return;
    for (const auto& [name, value] : node.members()) {
        if (name.isEmpty())
            value.fail(QStringLiteral("an attribute needs a name"));
        element.attributes.insert(name, attributeValue(value));
    }
}

SceneScreen readScreen(const SceneJsonNode& node, qsizetype position) {
    node.object({"frame", "visibleFrame", "scale", "safeAreaTop", "number", "displayID"});
    SceneScreen screen;
    screen.frame = extent(node["frame"]);
    screen.visibleFrame =
        node["visibleFrame"].isMissing() ? screen.frame : extent(node["visibleFrame"]);
    if (!node["scale"].isMissing())
        screen.scale = positive(node["scale"]);
    if (!node["safeAreaTop"].isMissing())
        screen.safeAreaTop = node["safeAreaTop"].number();
    const quint32 ordinal = static_cast<quint32>(position + 1);
    const SceneJsonNode number = node["number"];
    if (number.isMissing())
        screen.number = ordinal;
    else if (!number.isNull())
        screen.number = static_cast<quint32>(number.integer(0, maxUInt32));
    const SceneJsonNode displayID = node["displayID"];
    screen.displayID = displayID.isMissing()
                           ? screen.number.value_or(ordinal)
                           : static_cast<quint32>(displayID.integer(0, maxUInt32));
    return screen;
}

} // namespace

SceneLoader::SceneLoader(SceneJsonNode root) : m_root(std::move(root)) {}

Scene SceneLoader::read() {
    m_root.object({"screens", "mouse", "permissions", "frontmost", "apps", "windows", "self",
                   "bundleName", "bundleIdentifier", "loginItem"});
    readScreens();
    m_scene.mouse = m_root["mouse"].isMissing() ? QPointF() : m_root["mouse"].point();
    readPermissions();
    readApps();
    readWindows();
    resolveRefs();
    readSelf();
    readFrontmost();
    readIdentity();
    return std::move(m_scene);
}

void SceneLoader::readScreens() {
    const SceneJsonNode screens = m_root["screens"];
    if (screens.isMissing())
        return;
    const auto nodes = screens.array();
    for (qsizetype position = 0; position < nodes.size(); ++position)
        m_scene.screens.append(readScreen(nodes[position], position));
}

void SceneLoader::readPermissions() {
    const SceneJsonNode permissions = m_root["permissions"];
    if (permissions.isMissing())
        return;
    permissions.object({"accessibility", "screenRecording"});
    if (!permissions["accessibility"].isMissing())
        m_scene.accessibilityGranted = permissions["accessibility"].boolean();
    if (!permissions["screenRecording"].isMissing())
        m_scene.screenRecordingGranted = permissions["screenRecording"].boolean();
}

void SceneLoader::readApps() {
    if (m_root["apps"].isMissing())
        return;
    for (const SceneJsonNode& node : m_root["apps"].array()) {
        node.object({"pid", "name", "bundleId", "toolkit"});
        SceneApp app;
        app.pid = pid(node["pid"]);
        const auto other = m_appIndexes.constFind(app.pid);
        if (other != m_appIndexes.cend())
            node["pid"].fail(
                QStringLiteral("the pid %1 is already used by apps[%2]").arg(app.pid).arg(*other));
        m_appIndexes.insert(app.pid, m_scene.apps.size());
        if (!node["name"].isMissing())
            app.name = node["name"].stringOrNull();
        if (!node["bundleId"].isMissing())
            app.bundleId = node["bundleId"].stringOrNull();
        if (!node["toolkit"].isMissing())
            app.toolkit = node["toolkit"].string();
        m_scene.apps.append(app);
    }
}

void SceneLoader::readWindows() {
    if (m_root["windows"].isMissing())
        return;
    for (const SceneJsonNode& node : m_root["windows"].array())
        readWindow(node);
}

void SceneLoader::readWindow(const SceneJsonNode& node) {
    node.object({"id", "pid", "title", "bounds", "layer", "onScreen", "desktop", "ax"});
    SceneWindow window;
    window.id = static_cast<quint32>(node["id"].integer(0, maxUInt32));
    const auto other = m_windowIndexes.constFind(window.id);
    if (other != m_windowIndexes.cend())
        node["id"].fail(QStringLiteral("the window id %1 is already used by windows[%2]")
                            .arg(window.id)
                            .arg(*other));
    m_windowIndexes.insert(window.id, m_scene.windows.size());
    window.pid = pid(node["pid"]);
    if (!node["title"].isMissing())
        window.title = node["title"].stringOrNull();
    window.bounds = extent(node["bounds"]);
    if (!node["layer"].isMissing())
        window.layer = node["layer"].integer(-exactLayerLimit, exactLayerLimit);
    if (!node["onScreen"].isMissing())
        window.onScreen = node["onScreen"].boolean();
    if (!node["desktop"].isMissing())
        window.desktop = node["desktop"].boolean();
    const int index = static_cast<int>(m_scene.windows.size());
    m_scene.windows.append(window);
    if (!node["ax"].isMissing())
        m_scene.windows[index].axRoot = readElement(node["ax"], index, -1);
}

int SceneLoader::readElement(const SceneJsonNode& node, int window, int parent) {
    node.object({"id", "role", "title", "description", "value", "identifier", "frame", "enabled",
                 "focused", "children", "attributes"});
    const int index = static_cast<int>(m_scene.elements.size());
    SceneElement element;
    element.path = node.path();
    element.window = window;
    element.parent = parent;
    if (!node["id"].isMissing()) {
        const QString id = node["id"].string();
        if (id.isEmpty())
            node["id"].expected(QStringLiteral("a non-empty string"));
        if (m_elementIDs.contains(id))
            node["id"].fail(QStringLiteral("the id \"%1\" is already used at %2")
                                .arg(id, m_scene.elements[m_elementIDs.value(id)].path));
        m_elementIDs.insert(id, index);
        element.id = id;
    }
    static const QList<std::pair<QString, QString>> plain{
        {"role", "AXRole"},      {"title", "AXTitle"},           {"description", "AXDescription"},
        {"value", "AXValue"},    {"identifier", "AXIdentifier"}, {"enabled", "AXEnabled"},
        {"focused", "AXFocused"}};
    for (const auto& [key, attribute] : plain) {
        if (!node[key].isMissing())
            element.attributes.insert(attribute, attributeValue(node[key]));
    }
    if (!node["frame"].isMissing()) {
        const QRectF frame = node["frame"].rect(true);
        element.frame = frame;
        element.attributes.insert("AXPosition", {0, AXPointValue{frame.topLeft()}});
        element.attributes.insert("AXSize", {0, AXSizeValue{frame.size()}});
    }
    readAttributes(node["attributes"], element);
    m_scene.elements.append(element);
    readChildren(node["children"], index);
    return index;
}

void SceneLoader::readChildren(const SceneJsonNode& node, int element) {
    if (node.isMissing())
        return;
    const auto nodes = node.array();
    m_scene.elements[element].children = QList<int>(nodes.size(), -1);
    for (qsizetype slot = 0; slot < nodes.size(); ++slot) {
        const SceneJsonNode& child = nodes[slot];
        if (child.value().isObject() && child.value().toObject().contains("ref")) {
            child.object({"ref"});
            m_refs.append({element, slot, child["ref"].string(), child["ref"]});
            continue;
        }
        const int index = readElement(child, m_scene.elements[element].window, element);
        (*m_scene.elements[element].children)[slot] = index;
    }
}

void SceneLoader::resolveRefs() {
    for (const PendingRef& ref : std::as_const(m_refs)) {
        const auto target = m_elementIDs.constFind(ref.id);
        if (target == m_elementIDs.cend())
            ref.node.fail(QStringLiteral("no element has the id \"%1\"").arg(ref.id));
        (*m_scene.elements[ref.parent].children)[ref.slot] = *target;
    }
}

void SceneLoader::readSelf() {
    const SceneJsonNode self = m_root["self"];
    qint32 highest = 999;
    for (const auto& app : std::as_const(m_scene.apps))
        highest = std::max(highest, app.pid);
    for (const auto& window : std::as_const(m_scene.windows))
        highest = std::max(highest, window.pid);
    m_scene.self = {highest == maxPid ? 0 : highest + 1, defaultBundleName};
    if (self.isMissing())
        return;
    self.object({"pid", "name"});
    if (!self["pid"].isMissing()) {
        m_scene.self.pid = pid(self["pid"]);
        const auto app = m_appIndexes.constFind(m_scene.self.pid);
        if (app != m_appIndexes.cend())
            self["pid"].fail(QStringLiteral("the pid %1 is already used by apps[%2]")
                                 .arg(m_scene.self.pid)
                                 .arg(*app));
    }
    if (!self["name"].isMissing())
        m_scene.self.name = self["name"].string();
}

void SceneLoader::readFrontmost() {
    const SceneJsonNode frontmost = m_root["frontmost"];
    if (frontmost.isMissing() || frontmost.isNull())
        return;
    const qint32 value = pid(frontmost);
    if (value != m_scene.self.pid && !m_appIndexes.contains(value))
        frontmost.fail(QStringLiteral("no application has the pid %1").arg(value));
    m_scene.frontmost = value;
}

void SceneLoader::readIdentity() {
    const SceneJsonNode name = m_root["bundleName"];
    m_scene.bundleName = name.isMissing() ? defaultBundleName : name.stringOrNull();
    const SceneJsonNode identifier = m_root["bundleIdentifier"];
    m_scene.bundleIdentifier =
        identifier.isMissing() ? defaultBundleIdentifier : identifier.stringOrNull();
    const SceneJsonNode loginItem = m_root["loginItem"];
    if (!loginItem.isMissing())
        m_scene.loginItem = loginItemStatus(loginItem);
}

namespace {

QString syntaxError(const QByteArray& json, const QJsonParseError& error) {
    const QByteArray before = json.left(error.offset);
    const qsizetype line = before.count('\n') + 1;
    const qsizetype column = before.size() - (before.lastIndexOf('\n') + 1) + 1;
    return QStringLiteral("invalid JSON at line %1, column %2: %3")
        .arg(line)
        .arg(column)
        .arg(error.errorString());
}

} // namespace

// Only a regular file of bounded size: /dev/zero would grow memory without end and a FIFO would
// block the capture forever.
Scene SceneLoader::fromFile(const QString& path) {
    const auto fail = [&](const QString& problem) -> void {
        throw SceneError(path + QStringLiteral(": ") + problem);
    };
    const auto cannotRead = [&](int error) {
        fail(QStringLiteral("cannot be read: ") +
             QString::fromStdString(std::generic_category().message(error)));
    };
    const auto check = [&](const struct stat& status) {
        if (!S_ISREG(status.st_mode))
            fail(QStringLiteral("is not a regular file"));
        if (status.st_size > maxFileSize)
            fail(QStringLiteral("is larger than 64 MiB"));
    };
    // A compiled-in resource (":/...") is bounded and never blocks; only QFile can read it.
    if (path.startsWith(u':')) {
        QFile resource(path);
        if (!resource.open(QIODevice::ReadOnly))
            fail(QStringLiteral("cannot be read: ") + resource.errorString());
        if (resource.size() > maxFileSize)
            fail(QStringLiteral("is larger than 64 MiB"));
        return fromJson(resource.readAll(), path);
    }
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0)
        cannotRead(errno);
    check(status);
    // Non-blocking, so a file swapped for a FIFO after the check still cannot hang the open.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        cannotRead(errno);
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        fail(QStringLiteral("cannot be read: ") + file.errorString());
    }
    if (::fstat(descriptor, &status) != 0)
        cannotRead(errno);
    check(status);
    // The file may grow after the check; stop one byte past the limit to notice.
    QByteArray json;
    json.reserve(status.st_size);
    while (json.size() <= maxFileSize) {
        const QByteArray chunk =
            file.read(std::min<qint64>(1 << 20, maxFileSize + 1 - json.size()));
        if (chunk.isEmpty())
            break;
        json += chunk;
    }
    if (json.size() > maxFileSize)
        fail(QStringLiteral("is larger than 64 MiB"));
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("cannot be read: ") + file.errorString());
    return fromJson(json, path);
}

Scene SceneLoader::fromJson(const QByteArray& json, const QString& name) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw SceneError(name + QStringLiteral(": ") + syntaxError(json, error));
    const QJsonValue root =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    return SceneLoader(SceneJsonNode(name, root)).read();
}

} // namespace vantrel
