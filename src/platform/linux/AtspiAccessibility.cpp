#include "AtspiAccessibility.h"

#include "AtspiGeometry.h"
#include "AtspiRoleMap.h"
#include "AtspiWindowMatch.h"
#include "ProcessClues.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>

#include <atspi/atspi.h>

#include <cmath>
#include <memory>

namespace vantrel {

namespace {

using namespace std::chrono_literals;
using StallClock = AtspiStallGuard::Clock;

constexpr quint64 systemWideId = 1;
// What applicationElement() gives for a pid AT-SPI does not know: every read fails.
constexpr quint64 missingApplicationId = 2;
constexpr quint64 firstObjectId = 3;

// A hung application costs one timeout per capture, not one per element.
constexpr auto callTimeout = 1000ms;
constexpr auto startupTimeout = 2000ms;
constexpr auto stallQuarantine = 10s;
// get_accessible_at_point answers one level at a time; this bounds a tree that loops.
constexpr int maxHitTestDepth = 64;
// Beyond this a child list is cut: the core keeps far fewer per node, and each child costs a
// round trip.
constexpr int maxChildren = 5000;

const QString a11yService = QStringLiteral("org.a11y.Bus");
const QString a11yPath = QStringLiteral("/org/a11y/bus");

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GRef = std::unique_ptr<T, GObjectUnref>;

QString takeString(gchar* text) {
    QString result = QString::fromUtf8(text);
    g_free(text);
    return result;
}

AXReadResult failure(int code) {
    return {code, AXNoValue{}};
}

// Applications have no states of their own; only what can be on screen is enabled or focused.
bool isOnScreenKind(AtspiAccessible* object) {
    return GRef<AtspiComponent>(atspi_accessible_get_component_iface(object)) != nullptr;
}

AXReadResult success(AXValue value) {
    return {0, std::move(value)};
}

QString applicationOf(AtspiAccessible* object) {
    const AtspiApplication* app = object->parent.app;
    return app && app->bus_name ? QString::fromUtf8(app->bus_name) : QString();
}

// A failed call may mean the application left the bus; its cached values are stale from then on.
bool applicationLeftBus(AtspiAccessible* object) {
    const AtspiApplication* app = object->parent.app;
    return app && app->bus && app->bus_name &&
           !dbus_bus_name_has_owner(app->bus, app->bus_name, nullptr);
}

QDBusMessage statusCall(const QString& method) {
    return QDBusMessage::createMethodCall(
        a11yService, a11yPath, QStringLiteral("org.freedesktop.DBus.Properties"), method);
}

void initialiseOnce() {
    static const bool initialised = [] {
        atspi_init();
        atspi_set_timeout(int(callTimeout.count()), int(startupTimeout.count()));
        return true;
    }();
    Q_UNUSED(initialised);
}

} // namespace

AtspiAccessibility::AtspiAccessibility(const WindowServer& windows,
                                       std::function<DesktopSpace()> space,
                                       AtspiPlacement* placement)
    : m_windows(windows), m_spaceSource(std::move(space)), m_placement(placement),
      m_space(m_spaceSource()), m_stalls(callTimeout, stallQuarantine), m_nextId(firstObjectId) {}

AtspiAccessibility::~AtspiAccessibility() {
    releaseElements();
}

void AtspiAccessibility::releaseElements() {
    for (AtspiAccessible* object : std::as_const(m_objects))
        g_object_unref(object);
    m_objects.clear();
    m_ids.clear();
    m_windowOf.clear();
    m_origins.clear();
    m_leftBus.clear();
    // The address may come back for another object; ids never do.
    m_lastExtentsOf = nullptr;
}

bool AtspiAccessibility::isProcessTrusted() const {
    const QDBusReply<QString> address =
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            a11yService, a11yPath, a11yService, QStringLiteral("GetAddress")));
    if (!address.isValid() || address.value().isEmpty())
        return false;
    QDBusMessage get = statusCall(QStringLiteral("Get"));
    get << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled");
    const QDBusReply<QDBusVariant> enabled = QDBusConnection::sessionBus().call(get);
    return enabled.isValid() && enabled.value().variant().toBool();
}

void AtspiAccessibility::promptForTrust() {
    QDBusMessage set = statusCall(QStringLiteral("Set"));
    set << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
        << QVariant::fromValue(QDBusVariant(true));
    QDBusConnection::sessionBus().call(set);
}

AXElement AtspiAccessibility::systemWideElement() const {
    return AXElement{systemWideId};
}

std::optional<AXElement> AtspiAccessibility::elementAtPosition(AXElement systemWide, float x,
                                                               float y) {
    const QPointF point(x, y);
    if (systemWide != systemWideElement())
        return std::nullopt;
    const auto entries = m_windows.onScreenWindows();
    if (!entries)
        return std::nullopt;
    const auto entry = AtspiWindowMatch::topWindowAt(*entries, point, m_windows.ownPid());
    if (!entry)
        return std::nullopt;
    AtspiAccessible* application = applicationByPid(*entry->ownerPid);
    if (!application)
        return std::nullopt;
    beginWalk(application);
    AtspiAccessible* window = windowFor(application, *entry, point);
    if (!window)
        return std::nullopt;
    return handleFor(deepestAt(window, m_space.toPixels(point)));
}

AXElement AtspiAccessibility::applicationElement(qint32 pid) {
    AtspiAccessible* application = applicationByPid(pid);
    if (!application)
        return AXElement{missingApplicationId};
    beginWalk(application);
    return handleFor(application);
}

AXReadResult AtspiAccessibility::copyAttributeValue(AXElement element, const QString& attribute) {
    if (element == systemWideElement())
        return attribute == u"AXRole" ? success(QStringLiteral("AXSystemWide"))
                                      : failure(attributeUnsupported);
    if (element.id == missingApplicationId)
        return failure(cannotComplete);
    AtspiAccessible* object = objectFor(element);
    if (!object)
        return failure(invalidElement);
    const Reader reader = readers().value(attribute);
    if (!reader)
        return failure(attributeUnsupported);
    if (m_leftBus.contains(applicationOf(object)))
        return failure(invalidElement);
    if (m_stalls.isStalled(applicationOf(object), StallClock::now()))
        return failure(cannotComplete);
    return (this->*reader)(object);
}

// The attributes the core reads and where AT-SPI keeps each; docs/linux-accessibility.md says
// the same in prose.
const QHash<QString, AtspiAccessibility::Reader>& AtspiAccessibility::readers() {
    static const QHash<QString, Reader> table{
        {QStringLiteral("AXRole"), &AtspiAccessibility::readRole},
        {QStringLiteral("AXRoleDescription"), &AtspiAccessibility::readRoleDescription},
        {QStringLiteral("AXTitle"), &AtspiAccessibility::readTitle},
        {QStringLiteral("AXDescription"), &AtspiAccessibility::readDescription},
        {QStringLiteral("AXValue"), &AtspiAccessibility::readValue},
        {QStringLiteral("AXIdentifier"), &AtspiAccessibility::readIdentifier},
        {QStringLiteral("AXPosition"), &AtspiAccessibility::readPosition},
        {QStringLiteral("AXSize"), &AtspiAccessibility::readSize},
        {QStringLiteral("AXEnabled"), &AtspiAccessibility::readEnabled},
        {QStringLiteral("AXFocused"), &AtspiAccessibility::readFocused},
        {QStringLiteral("AXChildren"), &AtspiAccessibility::readChildren},
        {QStringLiteral("AXParent"), &AtspiAccessibility::readParent},
        {QStringLiteral("AXWindows"), &AtspiAccessibility::readWindows},
        {QStringLiteral("AXFocusedWindow"), &AtspiAccessibility::readFocusedWindow},
    };
    return table;
}

template <typename Call> auto AtspiAccessibility::ask(AtspiAccessible* object, Call&& call) {
    using Result = decltype(call(static_cast<GError**>(nullptr)));
    const QString application = applicationOf(object);
    if (m_stalls.isStalled(application, StallClock::now()))
        return std::optional<Result>();
    GError* error = nullptr;
    const auto started = StallClock::now();
    Result result = call(&error);
    if (!error)
        return std::optional<Result>(std::move(result));
    const auto now = StallClock::now();
    if (m_stalls.isTimeout(now - started))
        m_stalls.markStalled(application, now);
    else if (applicationLeftBus(object))
        m_leftBus.insert(application);
    g_error_free(error);
    return std::optional<Result>();
}

AXElement AtspiAccessibility::handleFor(AtspiAccessible* object) {
    const auto known = m_ids.constFind(object);
    if (known != m_ids.cend())
        return AXElement{*known};
    const quint64 id = m_nextId++;
    m_ids.insert(g_object_ref(object), id);
    m_objects.insert(id, object);
    return AXElement{id};
}

AtspiAccessible* AtspiAccessibility::objectFor(AXElement element) const {
    return m_objects.value(element.id, nullptr);
}

AtspiAccessible* AtspiAccessibility::adopt(AtspiAccessible* owned) {
    if (!owned)
        return nullptr;
    handleFor(owned);
    g_object_unref(owned);
    return owned;
}

void AtspiAccessibility::beginWalk(AtspiAccessible* application) {
    m_space = m_spaceSource();
    m_lastExtentsOf = nullptr;
    // Windows move between walks.
    m_origins.clear();
    atspi_accessible_set_cache_mask(application, ATSPI_CACHE_ALL);
}

// Every object comes from the desktop: the bus is joined only when the first one is asked for, so
// a capture that never reads the tree never sets it up.
AtspiAccessible* AtspiAccessibility::applicationByPid(qint64 pid) {
    initialiseOnce();
    AtspiAccessible* desktop = adopt(atspi_get_desktop(0));
    if (!desktop)
        return nullptr;
    for (AtspiAccessible* application : childObjects(desktop).value_or(QList<AtspiAccessible*>())) {
        const auto owner = ask(application, [&](GError** error) {
            return atspi_accessible_get_process_id(application, error);
        });
        if (owner && qint64(*owner) == pid)
            return application;
    }
    return nullptr;
}

AtspiAccessible* AtspiAccessibility::windowFor(AtspiAccessible* application,
                                               const WindowListEntry& entry, QPointF point) {
    const QList<AtspiAccessible*> windows = windowObjects(application);
    QList<AtspiWindowMatch::Candidate> candidates;
    for (AtspiAccessible* window : windows) {
        const auto name = ask(window, [&](GError** error) {
            return takeString(atspi_accessible_get_name(window, error));
        });
        candidates.append({name.value_or(QString()), rereadFrame(window)});
    }
    const auto best = AtspiWindowMatch::bestCandidate(candidates, entry, point);
    return best ? windows[*best] : nullptr;
}

AtspiAccessible* AtspiAccessibility::deepestAt(AtspiAccessible* window, QPointF rootPixel) {
    const auto placement = placementOf(window);
    if (!placement)
        return window;
    const QPointF local =
        placement->screenCoordinates ? rootPixel : rootPixel - placement->rootPixel;
    const int x = int(std::floor(local.x()));
    const int y = int(std::floor(local.y()));
    const AtspiCoordType type =
        placement->screenCoordinates ? ATSPI_COORD_TYPE_SCREEN : ATSPI_COORD_TYPE_WINDOW;
    AtspiAccessible* current = window;
    for (int depth = 0; depth < maxHitTestDepth; ++depth) {
        const GRef<AtspiComponent> component(atspi_accessible_get_component_iface(current));
        if (!component)
            break;
        const auto child = ask(current, [&](GError** error) {
            return atspi_component_get_accessible_at_point(component.get(), x, y, type, error);
        });
        AtspiAccessible* deeper = child ? adopt(*child) : nullptr;
        if (!deeper || deeper == current)
            break;
        m_windowOf.insert(deeper, window);
        current = deeper;
    }
    return current;
}

std::optional<QList<AtspiAccessible*>> AtspiAccessibility::childObjects(AtspiAccessible* object) {
    const auto count = ask(
        object, [&](GError** error) { return atspi_accessible_get_child_count(object, error); });
    if (!count)
        return std::nullopt;
    QList<AtspiAccessible*> children;
    AtspiAccessible* window = m_windowOf.value(object);
    for (int index = 0; index < std::min(*count, maxChildren); ++index) {
        const auto child = ask(object, [&](GError** error) {
            return atspi_accessible_get_child_at_index(object, index, error);
        });
        if (child && *child)
            children.append(adopt(*child));
        if (window && !children.isEmpty())
            m_windowOf.insert(children.last(), window);
    }
    return children;
}

QList<AtspiAccessible*> AtspiAccessibility::windowObjects(AtspiAccessible* application) {
    QList<AtspiAccessible*> windows;
    // Every top-level child is a window, whatever role its toolkit reports.
    for (AtspiAccessible* child : childObjects(application).value_or(QList<AtspiAccessible*>())) {
        windows.append(child);
        m_windowOf.insert(child, child);
    }
    return windows;
}

std::optional<QString> AtspiAccessibility::roleName(AtspiAccessible* object) {
    const auto role =
        ask(object, [&](GError** error) { return atspi_accessible_get_role(object, error); });
    if (!role)
        return std::nullopt;
    return takeString(atspi_role_get_name(*role));
}

std::optional<bool> AtspiAccessibility::hasState(AtspiAccessible* object, int state) {
    const GRef<AtspiStateSet> states(atspi_accessible_get_state_set(object));
    if (!states || atspi_state_set_contains(states.get(), ATSPI_STATE_DEFUNCT))
        return std::nullopt;
    return atspi_state_set_contains(states.get(), AtspiStateType(state)) != FALSE;
}

std::optional<QRectF> AtspiAccessibility::frameOf(AtspiAccessible* object) {
    if (m_lastExtentsOf == object) {
        m_lastExtentsOf = nullptr;
        return m_lastExtents;
    }
    m_lastExtents = rereadFrame(object);
    m_lastExtentsOf = object;
    return m_lastExtents;
}

std::optional<QRectF> AtspiAccessibility::rereadFrame(AtspiAccessible* object) {
    const GRef<AtspiComponent> component(atspi_accessible_get_component_iface(object));
    if (!component)
        return std::nullopt;
    const auto placement = placementOf(object);
    if (!placement)
        return std::nullopt;
    const AtspiCoordType type =
        placement->screenCoordinates ? ATSPI_COORD_TYPE_SCREEN : ATSPI_COORD_TYPE_WINDOW;
    const auto extents = ask(object, [&](GError** error) {
        return atspi_component_get_extents(component.get(), type, error);
    });
    if (!extents || !*extents)
        return std::nullopt;
    QRect rootPixels((*extents)->x, (*extents)->y, (*extents)->width, (*extents)->height);
    g_free(*extents);
    // Off-screen extents (G_MININT) stay as they are, so the geometry still sees them.
    if (!placement->screenCoordinates && rootPixels.x() != G_MININT && rootPixels.y() != G_MININT)
        rootPixels.translate(placement->rootPixel);
    const auto showing = hasState(object, ATSPI_STATE_SHOWING);
    return AtspiGeometry::frame(rootPixels, showing.value_or(false), m_space);
}

std::optional<AtspiPlacement::Origin> AtspiAccessibility::placementOf(AtspiAccessible* object) {
    if (!m_placement)
        return AtspiPlacement::Origin{true, {}};
    AtspiAccessible* window = topLevelOf(object);
    if (!window)
        return std::nullopt;
    const auto known = m_origins.constFind(window);
    if (known != m_origins.cend())
        return *known;
    const auto origin = lookUpOrigin(window);
    m_origins.insert(window, origin);
    return origin;
}

// Up through the parents to the child of an application; each object passed on the way learns
// its window too.
AtspiAccessible* AtspiAccessibility::topLevelOf(AtspiAccessible* object) {
    QList<AtspiAccessible*> path;
    AtspiAccessible* current = object;
    for (int depth = 0; depth < maxHitTestDepth && current; ++depth) {
        if (AtspiAccessible* window = m_windowOf.value(current)) {
            for (AtspiAccessible* passed : std::as_const(path))
                m_windowOf.insert(passed, window);
            return window;
        }
        path.append(current);
        const auto parent = ask(
            current, [&](GError** error) { return atspi_accessible_get_parent(current, error); });
        AtspiAccessible* owner = parent ? adopt(*parent) : nullptr;
        if (owner && roleName(owner) == u"application") {
            m_windowOf.insert(current, current);
            continue;
        }
        current = owner;
    }
    return nullptr;
}

std::optional<AtspiPlacement::Origin> AtspiAccessibility::lookUpOrigin(AtspiAccessible* window) {
    AtspiPlacement::Window key;
    const auto pid =
        ask(window, [&](GError** error) { return atspi_accessible_get_process_id(window, error); });
    const auto name = ask(window, [&](GError** error) {
        return takeString(atspi_accessible_get_name(window, error));
    });
    if (!pid || !name)
        return std::nullopt;
    key.pid = *pid;
    key.title = *name;
    const GRef<AtspiComponent> component(atspi_accessible_get_component_iface(window));
    if (component) {
        const auto extents = ask(window, [&](GError** error) {
            return atspi_component_get_extents(component.get(), ATSPI_COORD_TYPE_WINDOW, error);
        });
        if (extents && *extents) {
            key.size = QSize((*extents)->width, (*extents)->height);
            g_free(*extents);
        }
    }
    // Only an application answers with its toolkit's name.
    const auto application = ask(
        window, [&](GError** error) { return atspi_accessible_get_application(window, error); });
    AtspiAccessible* owner = application ? adopt(*application) : nullptr;
    const auto toolkit =
        owner ? ask(owner,
                    [&](GError** error) { return atspi_accessible_get_toolkit_name(owner, error); })
              : std::nullopt;
    if (toolkit && *toolkit) {
        key.toolkit = QString::fromUtf8(*toolkit);
        g_free(*toolkit);
    }
    return m_placement->windowOrigin(key);
}

AXReadResult AtspiAccessibility::readRole(AtspiAccessible* object) {
    const auto role = roleName(object);
    if (!role)
        return failure(cannotComplete);
    const QString single = AtspiRoleMap::axRole(*role, false);
    // Only text roles depend on a state; the others need no second call.
    const QString multi = AtspiRoleMap::axRole(*role, true);
    if (single != multi && hasState(object, ATSPI_STATE_MULTI_LINE).value_or(false))
        return success(multi);
    if (single != u"AXWindow" && isTopLevel(object))
        return success(QStringLiteral("AXWindow"));
    return success(single);
}

// Whatever role a toolkit gives it (Qt says "filler" for a plain top-level widget), a direct
// child of an application is one of its windows.
bool AtspiAccessibility::isTopLevel(AtspiAccessible* object) {
    const auto parent =
        ask(object, [&](GError** error) { return atspi_accessible_get_parent(object, error); });
    return parent && *parent && roleName(adopt(*parent)) == u"application";
}

AXReadResult AtspiAccessibility::readRoleDescription(AtspiAccessible* object) {
    const auto text = ask(object, [&](GError** error) {
        return takeString(atspi_accessible_get_role_name(object, error));
    });
    return text ? success(*text) : failure(cannotComplete);
}

AXReadResult AtspiAccessibility::readTitle(AtspiAccessible* object) {
    const auto text = ask(object, [&](GError** error) {
        return takeString(atspi_accessible_get_name(object, error));
    });
    return text ? success(*text) : failure(cannotComplete);
}

AXReadResult AtspiAccessibility::readDescription(AtspiAccessible* object) {
    const auto text = ask(object, [&](GError** error) {
        return takeString(atspi_accessible_get_description(object, error));
    });
    return text ? success(*text) : failure(cannotComplete);
}

AXReadResult AtspiAccessibility::readValue(AtspiAccessible* object) {
    const auto role = roleName(object);
    if (!role)
        return failure(cannotComplete);
    // Decided before any text call, so a password never leaves the application.
    if (AtspiRoleMap::isProtectedText(*role))
        return failure(attributeUnsupported);
    if (const GRef<AtspiText> text(atspi_accessible_get_text_iface(object)); text) {
        const auto content = ask(object, [&](GError** error) {
            return takeString(atspi_text_get_text(text.get(), 0, -1, error));
        });
        return content ? success(*content) : failure(cannotComplete);
    }
    if (const GRef<AtspiValue> value(atspi_accessible_get_value_iface(object)); value) {
        const auto current = ask(object, [&](GError** error) {
            return atspi_value_get_current_value(value.get(), error);
        });
        return current ? success(*current) : failure(cannotComplete);
    }
    return failure(attributeUnsupported);
}

AXReadResult AtspiAccessibility::readIdentifier(AtspiAccessible* object) {
    const auto id = ask(object, [&](GError** error) {
        return takeString(atspi_accessible_get_accessible_id(object, error));
    });
    if (!id)
        return failure(cannotComplete);
    return id->isEmpty() ? failure(noValue) : success(*id);
}

AXReadResult AtspiAccessibility::readPosition(AtspiAccessible* object) {
    const auto frame = frameOf(object);
    return frame ? success(AXPointValue{frame->topLeft()}) : failure(noValue);
}

AXReadResult AtspiAccessibility::readSize(AtspiAccessible* object) {
    const auto frame = frameOf(object);
    return frame ? success(AXSizeValue{frame->size()}) : failure(noValue);
}

AXReadResult AtspiAccessibility::readEnabled(AtspiAccessible* object) {
    if (!isOnScreenKind(object))
        return failure(attributeUnsupported);
    const auto enabled = hasState(object, ATSPI_STATE_ENABLED);
    return enabled ? success(*enabled ? 1.0 : 0.0) : failure(cannotComplete);
}

AXReadResult AtspiAccessibility::readFocused(AtspiAccessible* object) {
    if (!isOnScreenKind(object))
        return failure(attributeUnsupported);
    const auto focused = hasState(object, ATSPI_STATE_FOCUSED);
    return focused ? success(*focused ? 1.0 : 0.0) : failure(cannotComplete);
}

AXReadResult AtspiAccessibility::readChildren(AtspiAccessible* object) {
    const auto children = childObjects(object);
    if (!children)
        return failure(cannotComplete);
    QList<AXElement> handles;
    for (AtspiAccessible* child : *children)
        handles.append(handleFor(child));
    return success(handles);
}

AXReadResult AtspiAccessibility::readParent(AtspiAccessible* object) {
    const auto parent =
        ask(object, [&](GError** error) { return atspi_accessible_get_parent(object, error); });
    if (!parent)
        return failure(cannotComplete);
    AtspiAccessible* owner = adopt(*parent);
    // Applications hang below the desktop, which the core has no use for.
    if (!owner || roleName(owner) == u"desktop frame")
        return failure(noValue);
    return success(handleFor(owner));
}

AXReadResult AtspiAccessibility::readWindows(AtspiAccessible* object) {
    if (roleName(object) != u"application")
        return failure(attributeUnsupported);
    QList<AXElement> handles;
    for (AtspiAccessible* window : windowObjects(object))
        handles.append(handleFor(window));
    return success(handles);
}

AXReadResult AtspiAccessibility::readFocusedWindow(AtspiAccessible* object) {
    if (roleName(object) != u"application")
        return failure(attributeUnsupported);
    for (AtspiAccessible* window : windowObjects(object)) {
        if (hasState(window, ATSPI_STATE_ACTIVE).value_or(false))
            return success(handleFor(window));
    }
    return failure(noValue);
}

ToolkitClues AtspiAccessibility::applicationToolkit(AXElement element) {
    AtspiAccessible* object = objectFor(element);
    if (!object)
        return {};
    const auto pid =
        ask(object, [&](GError** error) { return atspi_accessible_get_process_id(object, error); });
    ToolkitClues clues = pid ? ProcessClues::of(*pid) : ToolkitClues{};
    const auto name = ask(
        object, [&](GError** error) { return atspi_accessible_get_toolkit_name(object, error); });
    if (name && *name) {
        clues.toolkitName = QString::fromUtf8(*name);
        g_free(*name);
    }
    return clues;
}

} // namespace vantrel
