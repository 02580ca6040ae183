#include "SettingsViewModel.h"

#include "ProductLinks.h"
#include "StatusLine.h"
#include "output/AgentPasteTargetSettings.h"
#include "output/BundlePasteboardFormatSettings.h"
#include "output/CaptureBundleFormatSettings.h"
#include "output/CaptureBundleWriter.h"
#include "output/CaptureModeSettings.h"
#include "platform/Workspace.h"

#include <QDir>

namespace vantrel {

namespace {

const QString emDash = QStringLiteral("—");

QString orDash(const std::optional<QString>& value) {
    return value && !value->isEmpty() ? *value : emDash;
}

// The home folder as "~", the way people write paths they read.
QString withTildeForHome(const QString& path) {
    const QString home = QDir::cleanPath(QDir::homePath());
    const QString clean = QDir::cleanPath(path);
    if (home.isEmpty() || home == QStringLiteral("/"))
        return clean;
    if (clean == home)
        return QStringLiteral("~");
    if (clean.startsWith(home + u'/'))
        return u'~' + clean.mid(home.size());
    return clean;
}

} // namespace

SettingsViewModel::SettingsViewModel(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies)),
      m_launchAtLogin(m_deps.loginItem, m_deps.vocabulary),
      m_activeMode(CaptureModeSettings::primaryMode(m_deps.defaults)),
      m_activeAgent(AgentPasteTargetSettings::target(m_deps.defaults)),
      m_activeBundleFormat(CaptureBundleFormatSettings::activeFormat(m_deps.defaults)),
      m_activePasteboardFormat(BundlePasteboardFormatSettings::activeFormat(m_deps.defaults)),
      m_permissions(m_deps.permissions.state()) {
    observe(SystemPermissionsService::didChangeNotification,
            &SettingsViewModel::onPermissionsChanged);
    observe(CaptureModeSettings::modeDidChangeNotification,
            &SettingsViewModel::onCaptureModeChanged);
    observe(AgentPasteTargetSettings::targetDidChangeNotification,
            &SettingsViewModel::onAgentChanged);
    observe(CaptureBundleFormatSettings::formatDidChangeNotification,
            &SettingsViewModel::onBundleFormatChanged);
    observe(BundlePasteboardFormatSettings::formatDidChangeNotification,
            &SettingsViewModel::onPasteboardFormatChanged);
    connect(&m_launchAtLogin, &LaunchAtLoginSwitch::changed, this, &SettingsViewModel::changed);
    connect(&m_deps.statusLine, &StatusLine::changed, this, &SettingsViewModel::changed);
}

SettingsViewModel::~SettingsViewModel() {
    // The center outlives the window; no handler may run on a model that is gone.
    for (const NotificationCenter::Token token : std::as_const(m_observers))
        m_deps.center.removeObserver(token);
}

void SettingsViewModel::observe(const QString& notification, void (SettingsViewModel::*handler)()) {
    m_observers.append(m_deps.center.addObserver(notification, [this, handler] {
        (this->*handler)();
        Q_EMIT changed();
    }));
}

void SettingsViewModel::onPermissionsChanged() {
    m_permissions = m_deps.permissions.state();
}

void SettingsViewModel::onCaptureModeChanged() {
    m_activeMode = CaptureModeSettings::primaryMode(m_deps.defaults);
}

void SettingsViewModel::onAgentChanged() {
    m_activeAgent = AgentPasteTargetSettings::target(m_deps.defaults);
    m_activePasteboardFormat = BundlePasteboardFormatSettings::activeFormat(m_deps.defaults);
}

void SettingsViewModel::onBundleFormatChanged() {
    m_activeBundleFormat = CaptureBundleFormatSettings::activeFormat(m_deps.defaults);
}

void SettingsViewModel::onPasteboardFormatChanged() {
    m_activePasteboardFormat = BundlePasteboardFormatSettings::activeFormat(m_deps.defaults);
    // An agent never chosen is the one the format implies, so it may move with the format.
    m_activeAgent = AgentPasteTargetSettings::target(m_deps.defaults);
}

void SettingsViewModel::setSelection(SettingsSection section) {
    if (section == m_selection)
        return;
    m_selection = section;
    Q_EMIT changed();
}

void SettingsViewModel::setPrimaryMode(CaptureMode mode) {
    CaptureModeSettings::setPrimaryMode(m_deps.defaults, m_deps.center, mode);
    m_activeMode = mode;
    Q_EMIT changed();
}

void SettingsViewModel::setAgentTarget(AgentPasteTarget target) {
    AgentPasteTargetSettings::setTarget(m_deps.defaults, m_deps.center, target);
    m_activeAgent = target;
    m_activePasteboardFormat = target == AgentPasteTarget::claudeCode
                                   ? BundlePasteboardFormat::claudeCodeV2
                                   : BundlePasteboardFormat::cursorV2;
    Q_EMIT changed();
}

void SettingsViewModel::setBundleFormat(CaptureBundleFormat format) {
    CaptureBundleFormatSettings::setActiveFormat(m_deps.defaults, m_deps.center, format);
    m_activeBundleFormat = format;
    Q_EMIT changed();
}

void SettingsViewModel::setPasteboardFormat(BundlePasteboardFormat format) {
    BundlePasteboardFormatSettings::setActiveFormat(m_deps.defaults, m_deps.center, format);
    m_activePasteboardFormat = format;
    m_activeAgent = AgentPasteTargetSettings::target(m_deps.defaults);
    Q_EMIT changed();
}

void SettingsViewModel::setShowAdvanced(bool shown) {
    if (shown == m_showAdvanced)
        return;
    m_showAdvanced = shown;
    Q_EMIT changed();
}

void SettingsViewModel::setLaunchAtLogin(bool wanted) {
    m_launchAtLogin.setOn(wanted);
}

void SettingsViewModel::openAccessibilitySettings() {
    m_deps.permissions.openAccessibilitySettings();
}

void SettingsViewModel::openScreenRecordingSettings() {
    m_deps.permissions.openScreenRecordingSettings();
}

void SettingsViewModel::openFormatGuide() {
    const QUrl url = formatGuideURL();
    if (url.isValid())
        m_deps.workspace.openURL(url);
}

void SettingsViewModel::refresh() {
    onPermissionsChanged();
    onCaptureModeChanged();
    onAgentChanged();
    onBundleFormatChanged();
    m_launchAtLogin.refresh();
    Q_EMIT changed();
}

QString SettingsViewModel::versionLine() const {
    return QStringLiteral("Vantrel ") + orDash(m_deps.version) + QStringLiteral(" (") +
           orDash(m_deps.build) + u')';
}

QUrl SettingsViewModel::formatGuideURL() const {
    return QUrl(ProductLinks::website + ProductLinks::formatGuide);
}

QString SettingsViewModel::copyHotKeyNote() const {
    return QStringLiteral("Press ") + m_deps.vocabulary.copyHotKey + QStringLiteral(", then ") +
           m_deps.vocabulary.pasteKey + QStringLiteral(" in your agent chat.");
}

QString SettingsViewModel::regionHotKeyNote() const {
    return QStringLiteral("Drag a rectangle over the part you mean.");
}

QString SettingsViewModel::lastAction() const {
    const QString& status = m_deps.statusLine.text();
    if (status.isEmpty())
        return emDash;
    const QString& followUp = m_deps.statusLine.followUp();
    return followUp.isEmpty() ? status : status + u'\n' + followUp;
}

QString SettingsViewModel::captureModeNote() const {
    return detail(m_activeMode);
}

QString SettingsViewModel::bundleFileNote() const {
    return QStringLiteral("Both files are saved. Pasteboard uses ") +
           fileName(m_activeBundleFormat) + u'.';
}

QString SettingsViewModel::agentNote() const {
    return detail(m_activeAgent, m_deps.vocabulary);
}

QString SettingsViewModel::pasteboardFormatNote() const {
    return detail(m_activePasteboardFormat);
}

QString SettingsViewModel::accessibilityNote() const {
    return m_permissions.accessibility ? QStringLiteral("Granted — Vantrel can read the interface.")
                                       : QStringLiteral("Needed to read roles, labels and bounds.");
}

QString SettingsViewModel::screenRecordingNote() const {
    return m_permissions.screenRecording
               ? QStringLiteral("Granted — screenshots work.")
               : QStringLiteral("Needed for the screenshot part of a capture.");
}

QString SettingsViewModel::capturesOnDiskText() const {
    return QStringLiteral("The %1 most recent capture folders are kept in %2; older ones are "
                          "deleted automatically.")
        .arg(QString::number(CaptureBundleWriter::keptCaptures),
             withTildeForHome(m_deps.capturesRoot));
}

} // namespace vantrel
