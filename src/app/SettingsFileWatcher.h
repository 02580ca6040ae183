#pragma once

#include "output/AgentPasteTarget.h"
#include "output/BundlePasteboardFormat.h"
#include "output/CaptureBundleFormat.h"
#include "output/CaptureMode.h"
#include "platform/NotificationCenter.h"

#include <QFileSystemWatcher>
#include <QList>
#include <QObject>

namespace vantrel {

class SettingsUserDefaults;

// Follows the settings file while another process (`vantrel settings`) edits it: takes the file
// in again and posts each store's notification for the values that changed, so every view in
// this process follows as if the change had been made here.
class SettingsFileWatcher final : public QObject {
    Q_OBJECT

  public:
    SettingsFileWatcher(SettingsUserDefaults& defaults, NotificationCenter& center,
                        QObject* parent = nullptr);
    ~SettingsFileWatcher() override;

    // Reads the file again and announces what changed; runs by itself on every change of it.
    void check();

  Q_SIGNALS:
    // After each look at the file, whether or not anything changed.
    void checked();

  private:
    struct Values {
        CaptureMode mode;
        CaptureBundleFormat bundleFormat;
        BundlePasteboardFormat pasteboardFormat;
        AgentPasteTarget agent;
        friend bool operator==(const Values&, const Values&) = default;
    };

    Values read() const;
    void watch();

    SettingsUserDefaults& m_defaults;
    NotificationCenter& m_center;
    QFileSystemWatcher m_watcher;
    QList<NotificationCenter::Token> m_observers;
    Values m_known;
};

} // namespace vantrel
