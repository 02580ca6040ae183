#pragma once

#include "Scene.h"
#include "SceneJsonNode.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace vantrel {

// Reads scene files (docs/scene-format.md). A scene that cannot be used throws SceneError with one
// message naming the file, the JSON path and what was expected; nothing else happens then.
class SceneLoader final {
  public:
    // Reads only a regular file of at most 64 MiB.
    static Scene fromFile(const QString& path);
    // name stands in for the file name in messages.
    static Scene fromJson(const QByteArray& json, const QString& name = QStringLiteral("scene"));

  private:
    // A child listed as {"ref": id}; resolved once every element exists.
    struct PendingRef {
        int parent;
        qsizetype slot;
        QString id;
        SceneJsonNode node;
    };

    explicit SceneLoader(SceneJsonNode root);

    Scene read();
    void readScreens();
    void readPermissions();
    void readApps();
    void readWindows();
    void readWindow(const SceneJsonNode& node);
    int readElement(const SceneJsonNode& node, int window, int parent);
    void readChildren(const SceneJsonNode& node, int element);
    void resolveRefs();
    void readSelf();
    void readFrontmost();
    void readIdentity();

    SceneJsonNode m_root;
    Scene m_scene;
    QHash<QString, int> m_elementIDs;
    // Indexes by pid and window id, so duplicate checks stay linear in the scene's size.
    QHash<qint32, qsizetype> m_appIndexes;
    QHash<quint32, qsizetype> m_windowIndexes;
    QList<PendingRef> m_refs;
};

} // namespace vantrel
