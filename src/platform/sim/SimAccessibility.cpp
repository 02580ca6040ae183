#include "SimAccessibility.h"

#include <QSet>

namespace vantrel {

namespace {

// A handle's upper half says what it points at, the lower half which one.
constexpr quint64 systemWideKind = 1;
constexpr quint64 applicationKind = 2;
constexpr quint64 elementKind = 3;

quint64 kindOf(AXElement element) {
    return element.id >> 32;
}
quint32 indexOf(AXElement element) {
    return static_cast<quint32>(element.id & 0xffffffffu);
}

AXReadResult failure(int code) {
    return {code, AXNoValue{}};
}

// Half-open, so that a point on the shared edge of two neighbours belongs to one of them only.
bool covers(const QRectF& rect, QPointF point) {
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() &&
           point.y() < rect.bottom();
}

} // namespace

SimAccessibility::SimAccessibility(const Scene& scene) : m_scene(scene) {}

bool SimAccessibility::isProcessTrusted() const {
    return m_scene.accessibilityGranted;
}

void SimAccessibility::promptForTrust() {
    ++m_trustPrompts;
}

AXElement SimAccessibility::systemWideElement() const {
    return handle(systemWideKind, 0);
}

std::optional<AXElement> SimAccessibility::elementAtPosition(AXElement systemWide, float x,
                                                             float y) {
    if (m_hitTestFails || !isProcessTrusted() || systemWide != systemWideElement())
        return std::nullopt;
    return hitTest(QPointF(x, y));
}

AXElement SimAccessibility::applicationElement(qint32 pid) {
    return handle(applicationKind, static_cast<quint32>(pid));
}

AXReadResult SimAccessibility::copyAttributeValue(AXElement element, const QString& attribute) {
    if (!isProcessTrusted())
        return failure(apiDisabled);
    if (const auto code = fault(element, attribute))
        return failure(*code);
    switch (kindOf(element)) {
    case systemWideKind:
        return attribute == u"AXRole" ? AXReadResult{0, QStringLiteral("AXSystemWide")}
                                      : failure(attributeUnsupported);
    case applicationKind:
        return readApplication(static_cast<qint32>(indexOf(element)), attribute);
    case elementKind:
        if (const auto index = elementIndex(element))
            return readElement(*index, attribute);
        break;
    }
    return failure(invalidElement);
}

ToolkitClues SimAccessibility::applicationToolkit(AXElement element) {
    std::optional<qint32> pid;
    if (kindOf(element) == applicationKind)
        pid = static_cast<qint32>(indexOf(element));
    else if (const auto index = elementIndex(element);
             index && m_scene.elements[*index].window >= 0)
        pid = m_scene.windows[m_scene.elements[*index].window].pid;
    ToolkitClues clues;
    for (const SceneApp& app : m_scene.apps) {
        if (pid && app.pid == *pid)
            clues.toolkitName = app.toolkit.value_or(QString());
    }
    return clues;
}

AXElement SimAccessibility::element(const QString& sceneId) const {
    const auto index = m_scene.elementIndex(sceneId);
    return index ? elementHandle(*index) : AXElement{};
}

AXElement SimAccessibility::windowElement(quint32 windowId) const {
    const SceneWindow* window = m_scene.window(windowId);
    return window && window->axRoot ? elementHandle(*window->axRoot) : AXElement{};
}

const SceneElement* SimAccessibility::sceneElement(AXElement element) const {
    const auto index = elementIndex(element);
    return index ? &m_scene.elements[*index] : nullptr;
}

void SimAccessibility::failReads(AXElement element, const QString& attribute, int code) {
    m_faults.append({element, attribute, code});
}

AXElement SimAccessibility::handle(quint64 kind, quint32 index) {
    return AXElement{(kind << 32) | index};
}

AXElement SimAccessibility::elementHandle(int index) const {
    return handle(elementKind, static_cast<quint32>(index));
}

std::optional<int> SimAccessibility::elementIndex(AXElement element) const {
    if (kindOf(element) != elementKind || indexOf(element) >= quint32(m_scene.elements.size()))
        return std::nullopt;
    return static_cast<int>(indexOf(element));
}

std::optional<int> SimAccessibility::fault(AXElement element, const QString& attribute) const {
    for (const Fault& candidate : m_faults) {
        if ((candidate.element.isNull() || candidate.element == element) &&
            (candidate.attribute.isEmpty() || candidate.attribute == attribute))
            return candidate.code;
    }
    return std::nullopt;
}

std::optional<AXElement> SimAccessibility::hitTest(QPointF point) const {
    for (const SceneWindow& window : m_scene.windows) {
        if (!window.onScreen || !covers(window.bounds, point))
            continue;
        if (!window.axRoot)
            return std::nullopt;
        return elementHandle(deepestAt(*window.axRoot, point));
    }
    return std::nullopt;
}

int SimAccessibility::deepestAt(int root, QPointF point) const {
    // Later children are painted over earlier ones, so the last one under the point wins. A
    // scene may list an ancestor as a child; each element is entered once.
    QSet<int> entered{root};
    int current = root;
    for (bool descended = true; descended;) {
        descended = false;
        const auto& children = m_scene.elements[current].children;
        if (!children)
            break;
        for (auto child = children->crbegin(); child != children->crend(); ++child) {
            const auto& frame = m_scene.elements[*child].frame;
            if (entered.contains(*child) || !frame || !covers(*frame, point))
                continue;
            entered.insert(*child);
            current = *child;
            descended = true;
            break;
        }
    }
    return current;
}

QList<AXElement> SimAccessibility::windowsOf(qint32 pid) const {
    QList<AXElement> windows;
    for (const SceneWindow& window : m_scene.windows) {
        if (window.pid == pid && window.axRoot)
            windows.append(elementHandle(*window.axRoot));
    }
    return windows;
}

AXReadResult SimAccessibility::readApplication(qint32 pid, const QString& attribute) const {
    const SceneApp* app = m_scene.app(pid);
    const bool isSelf = pid == m_scene.self.pid;
    if (app == nullptr && !isSelf)
        return failure(cannotComplete);
    if (attribute == u"AXRole")
        return {0, QStringLiteral("AXApplication")};
    if (attribute == u"AXTitle") {
        const auto name = isSelf ? std::optional(m_scene.self.name) : app->name;
        return name ? AXReadResult{0, *name} : failure(noValue);
    }
    if (attribute == u"AXWindows" || attribute == u"AXChildren")
        return {0, windowsOf(pid)};
    if (attribute == u"AXFocusedWindow") {
        for (const SceneWindow& window : m_scene.windows) {
            if (window.pid == pid && window.onScreen && window.axRoot)
                return {0, elementHandle(*window.axRoot)};
        }
        return failure(noValue);
    }
    return failure(attributeUnsupported);
}

AXReadResult SimAccessibility::readElement(int index, const QString& attribute) const {
    const SceneElement& element = m_scene.elements[index];
    const auto given = element.attributes.constFind(attribute);
    if (given != element.attributes.cend())
        return *given;
    if (attribute == u"AXChildren" && element.children) {
        QList<AXElement> children;
        for (int child : *element.children)
            children.append(elementHandle(child));
        return {0, children};
    }
    if (attribute == u"AXParent") {
        if (element.parent >= 0)
            return {0, elementHandle(element.parent)};
        return {0,
                handle(applicationKind, static_cast<quint32>(m_scene.windows[element.window].pid))};
    }
    return failure(attributeUnsupported);
}

} // namespace vantrel
