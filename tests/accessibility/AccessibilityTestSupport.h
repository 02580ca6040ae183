#pragma once

#include "accessibility/AccessibilityCaptureService.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/VirtualClock.h"
#include "platform/sim/SceneLoader.h"
#include "platform/sim/SimDesktop.h"
#include "screen/SystemPermissionsService.h"
#include "support/VantrelProcess.h"

#include <QDir>
#include <QJsonArray>

#include <functional>
#include <memory>

namespace vantrel::test {

// A virtual clock that lets a test change the desktop while a capture pauses.
class PausingClock final : public Clock {
  public:
    QDateTime now() const override { return m_clock.now(); }
    QCoro::Task<> sleep(std::chrono::milliseconds duration, std::stop_token stop = {}) override {
        return m_clock.sleep(duration, std::move(stop));
    }
    void sleepBlocking(std::chrono::milliseconds duration) override {
        m_clock.sleepBlocking(duration);
        if (onBlockingSleep)
            onBlockingSleep();
    }
    const QList<std::chrono::milliseconds>& requestedSleeps() const {
        return m_clock.requestedSleeps();
    }

    std::function<void()> onBlockingSleep;

  private:
    VirtualClock m_clock;
};

// A simulated desktop with a capture service writing into a private folder.
class CaptureHarness {
  public:
    explicit CaptureHarness(const QByteArray& sceneJson,
                            std::optional<QString> outputDirectory = std::nullopt)
        : desktop(std::make_unique<SimDesktop>(SceneLoader::fromJson(sceneJson))),
          platform(desktop->platform()), permissions(platform, center, clock),
          service(platform, permissions, clock, 4, 120, 24,
                  outputDirectory.value_or(folder.path())) {}

    SimAccessibility& ax() { return desktop->accessibility(); }
    AXElement element(const QString& sceneId) { return ax().element(sceneId); }
    QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir folder;
    std::unique_ptr<SimDesktop> desktop;
    Platform platform;
    NotificationCenter center;
    PausingClock clock;
    SystemPermissionsService permissions;
    AccessibilityCaptureService service;
};

// One screen of 1440 × 900, the application Mail (pid 501) in front, and one window whose
// accessibility tree is ax. Its bounds are the root frame, or [100, 60, 900, 600].
inline QByteArray sceneWith(const QJsonObject& ax, QJsonObject extra = {}) {
    QJsonObject scene = QJsonDocument::fromJson(R"({"screens": [{"frame": [0, 0, 1440, 900]}],
        "mouse": [5, 5], "frontmost": 501, "apps": [{"pid": 501, "name": "Mail"}]})")
                            .object();
    const QJsonValue bounds = ax.contains("frame") ? ax["frame"] : QJsonArray{100, 60, 900, 600};
    scene["windows"] = QJsonArray{
        QJsonObject{{"id", 11}, {"pid", 501}, {"title", "Inbox"}, {"bounds", bounds}, {"ax", ax}}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        scene.insert(it.key(), it.value());
    return QJsonDocument(scene).toJson();
}

inline QJsonObject leaf(const QString& role, const QString& identifier) {
    return {{"role", role}, {"identifier", identifier}, {"id", identifier}};
}

inline QJsonObject withChildren(QJsonObject node, const QJsonArray& children) {
    node.insert("children", children);
    return node;
}

inline QStringList childIdentifiers(const SnapshotNode& node) {
    QStringList identifiers;
    for (const QVariant& child : node.value("children").toList())
        identifiers.append(child.toMap().value("identifier").toString());
    return identifiers;
}

inline int deepestLevel(const SnapshotNode& node) {
    int deepest = 0;
    for (const QVariant& child : node.value("children").toList())
        deepest = std::max(deepest, 1 + deepestLevel(child.toMap()));
    return deepest;
}

inline QJsonObject readJson(const QString& path) {
    return QJsonDocument::fromJson(vantrel::testing::VantrelProcess::readBytes(path)).object();
}

} // namespace vantrel::test
