#pragma once

#include "../AXValue.h"
#include "../LoginItemService.h"

#include <QList>
#include <QMap>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

namespace vantrel {

struct SceneScreen {
    QRectF frame;        // bottom-left global space
    QRectF visibleFrame; // bottom-left global space
    double scale = 1.0;
    double safeAreaTop = 0.0;
    std::optional<quint32> number;
    quint32 displayID = 0;
};

struct SceneApp {
    qint32 pid = 0;
    std::optional<QString> name;
    std::optional<QString> bundleId;
    std::optional<QString> toolkit; // the toolkit name it gives on the accessibility bus
};

struct SceneWindow {
    quint32 id = 0;
    qint32 pid = 0;
    std::optional<QString> title;
    QRectF bounds; // top-left global space
    qint64 layer = 0;
    bool onScreen = true;
    bool desktop = false;
    std::optional<int> axRoot; // index into Scene::elements
};

// One accessibility element. Elements live in one flat list so that a child may be listed under
// several parents (even its own descendants) without the model owning a cycle.
struct SceneElement {
    QString path; // where the scene file defines it, for messages
    std::optional<QString> id;
    // Every attribute that reads directly, by name; an absent name fails to read.
    QMap<QString, AXReadResult> attributes;
    std::optional<QRectF> frame; // top-left global space; may hold NaN or infinities
    std::optional<QList<int>> children;
    int parent = -1; // the defining parent; -1 for a window's root
    int window = -1;

    // The text a picture shows for the element: the first non-empty text of its title, value,
    // description and role.
    QString label() const;
};

struct SceneSelf {
    qint32 pid = 0;
    QString name;
};

// A whole simulated desktop, as a scene file describes it.
struct Scene {
    QList<SceneScreen> screens;
    QPointF mouse; // bottom-left global space
    bool accessibilityGranted = true;
    bool screenRecordingGranted = true;
    std::optional<qint32> frontmost;
    QList<SceneApp> apps;
    QList<SceneWindow> windows; // front to back
    QList<SceneElement> elements;
    SceneSelf self;
    std::optional<QString> bundleName;
    std::optional<QString> bundleIdentifier;
    LoginItemService::Status loginItem = LoginItemService::Status::notRegistered;

    const SceneApp* app(qint32 pid) const;
    const SceneWindow* window(quint32 id) const;
    std::optional<int> elementIndex(const QString& id) const;
    // The top edge of the first screen in bottom-left space; none without screens.
    std::optional<double> globalTopY() const;
    QRectF topLeftFrame(const SceneScreen& screen) const;
};

} // namespace vantrel
