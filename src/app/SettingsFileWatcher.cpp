#include "SettingsFileWatcher.h"

#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleFormatSettings.h"
#include "output/CaptureModeSettings.h"
#include "platform/SettingsUserDefaults.h"

#include <QDir>
#include <QFileInfo>

namespace vantrel {

SettingsFileWatcher::SettingsFileWatcher(SettingsUserDefaults& defaults, NotificationCenter& center,
                                         QObject* parent)
    : QObject(parent), m_defaults(defaults), m_center(center), m_known(read()) {
    // Changes made in this process are announced by the stores themselves; knowing them here
    // keeps the file's echo of such a write from being announced a second time.
    for (const QString& name : {CaptureModeSettings::modeDidChangeNotification,
                                CaptureBundleFormatSettings::formatDidChangeNotification,
                                BundlePasteboardFormatSettings::formatDidChangeNotification,
                                AgentPasteTargetSettings::targetDidChangeNotification})
        m_observers.append(m_center.addObserver(name, [this] { m_known = read(); }));
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &SettingsFileWatcher::check);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &SettingsFileWatcher::check);
    watch();
}

SettingsFileWatcher::~SettingsFileWatcher() {
    for (const NotificationCenter::Token token : std::as_const(m_observers))
        m_center.removeObserver(token);
}

void SettingsFileWatcher::watch() {
    const QString file = m_defaults.fileName();
    const QString folder = QFileInfo(file).absolutePath();
    // Without its folder there is nothing to watch until the first write; it is ours anyway.
    QDir().mkpath(folder);
    // The file is replaced whole on every write, which drops it from the watch list: the folder
    // sees the new one arrive, and the file is added again each time.
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (QFileInfo::exists(file) && !m_watcher.files().contains(file))
        m_watcher.addPath(file);
}

SettingsFileWatcher::Values SettingsFileWatcher::read() const {
    return {CaptureModeSettings::primaryMode(m_defaults),
            CaptureBundleFormatSettings::activeFormat(m_defaults),
            BundlePasteboardFormatSettings::activeFormat(m_defaults),
            AgentPasteTargetSettings::target(m_defaults)};
}

void SettingsFileWatcher::check() {
    watch();
    m_defaults.reload();
    const Values before = m_known;
    const Values now = read();
    m_known = now;
    // The order the stores use: a format before the agent that chose it.
    if (now.mode != before.mode)
        m_center.post(CaptureModeSettings::modeDidChangeNotification);
    if (now.bundleFormat != before.bundleFormat)
        m_center.post(CaptureBundleFormatSettings::formatDidChangeNotification);
    if (now.pasteboardFormat != before.pasteboardFormat)
        m_center.post(BundlePasteboardFormatSettings::formatDidChangeNotification);
    if (now.agent != before.agent)
        m_center.post(AgentPasteTargetSettings::targetDidChangeNotification);
    Q_EMIT checked();
}

} // namespace vantrel
