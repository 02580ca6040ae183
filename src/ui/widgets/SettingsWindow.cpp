#include "SettingsWindow.h"

#include "KeyCap.h"
#include "PermissionControl.h"
#include "SettingsCard.h"
#include "SettingsRow.h"
#include "SettingsTextStyle.h"
#include "SymbolIcon.h"
#include "ui/SettingsViewModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vantrel {

namespace {

constexpr int sidebarWidth = 176;
constexpr int symbolSize = 16;

const QString formatGuideText = QStringLiteral(
    "Agents read the clipboard differently, so the same capture has to be written differently. "
    "Picking an agent above already selects the right format — change it here only to compare.\n\n"
    "**Claude Code** takes the screenshot and the accessibility text in one paste, without a file "
    "reference.\n\n"
    "**Cursor and Codex** take `@capture1.md` plus text: they read the file from disk "
    "themselves.\n\n"
    "The rest are kept for A/B checks and for older pastes that sent a single file.");

// A picker over every case of a choice, by title, in the order the choice lists them.
template <class T> QComboBox* picker(const QList<T>& cases, int width) {
    auto* combo = new QComboBox;
    for (const T value : cases)
        combo->addItem(title(value));
    // The fixed width, unless this desktop's font needs more for the longest title.
    combo->setFixedWidth(std::max(width, combo->sizeHint().width()));
    return combo;
}

template <class T> void select(QComboBox& combo, const QList<T>& cases, T value) {
    const QSignalBlocker quiet(combo);
    combo.setCurrentIndex(int(cases.indexOf(value)));
}

template <class T, class Model>
void forward(QComboBox* combo, const QList<T>& cases, Model& model, void (Model::*set)(T)) {
    QObject::connect(combo, &QComboBox::currentIndexChanged, &model,
                     [cases, &model, set](int index) {
                         if (index >= 0 && index < cases.size())
                             (model.*set)(cases[index]);
                     });
}

QLabel* captionText(const QString& text = {}) {
    auto* label = new QLabel;
    SettingsTextStyle::setText(*label, text);
    SettingsTextStyle::caption(*label);
    SettingsTextStyle::secondary(*label);
    label->setWordWrap(true);
    return label;
}

} // namespace

SettingsWindow::SettingsWindow(SettingsViewModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), m_model(model), m_sidebar(new QListWidget),
      m_pages(new QStackedWidget) {
    setWindowTitle(QStringLiteral("Vantrel Settings"));
    setAccessibleName(windowTitle());
    resize(720, 520);
    setMinimumSize(680, 460);

    m_sidebar->setFixedWidth(sidebarWidth);
    m_sidebar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sidebar->setIconSize(QSize(symbolSize, symbolSize));
    m_sidebar->setAccessibleName(QStringLiteral("Sections"));
    for (const SettingsSection section : allSettingsSections()) {
        const SettingsSectionInfo info = settingsSectionInfo(section);
        // Drawn at twice the size, so the symbol stays sharp on a scaled screen; the same
        // drawing when selected, so the tint is not washed out.
        const QPixmap symbol = SymbolIcon::drawn(info.symbol, info.tint, 2 * symbolSize);
        QIcon icon(symbol);
        icon.addPixmap(symbol, QIcon::Selected);
        auto* item = new QListWidgetItem(icon, info.title);
        item->setSizeHint(QSize(0, 28));
        m_sidebar->addItem(item);
    }
    connect(m_sidebar, &QListWidget::currentRowChanged, &m_model, [this](int row) {
        const QList<SettingsSection> sections = allSettingsSections();
        if (row >= 0 && row < sections.size())
            m_model.setSelection(sections[row]);
    });

    buildGeneral();
    buildCapture();
    buildAgents();
    buildPrivacy();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_sidebar);
    layout->addWidget(m_pages, 1);

    connect(&m_model, &SettingsViewModel::changed, this, &SettingsWindow::showModel);
    showModel();
}

void SettingsWindow::present() {
    m_model.refresh();
    if (!m_centred) {
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
        m_centred = true;
    }
    show();
    raise();
    activateWindow();
}

QWidget* SettingsWindow::page(SettingsSection section, QVBoxLayout*& content) {
    const SettingsSectionInfo info = settingsSectionInfo(section);
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(22, 20, 22, 20);
    layout->setSpacing(16);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(4);
    auto* title = new QLabel;
    SettingsTextStyle::setText(*title, info.title);
    SettingsTextStyle::heading(*title);
    auto* subtitle = new QLabel;
    SettingsTextStyle::setText(*subtitle, info.subtitle);
    SettingsTextStyle::callout(*subtitle);
    SettingsTextStyle::secondary(*subtitle);
    subtitle->setWordWrap(true);
    heading->addWidget(title);
    heading->addWidget(subtitle);
    layout->addLayout(heading);

    content = new QVBoxLayout;
    content->setSpacing(10);
    layout->addLayout(content);
    layout->addStretch(1);

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(body);
    scroll->setAccessibleName(info.title);
    m_pages->addWidget(scroll);
    return body;
}

SettingsRow* SettingsWindow::addRow(QVBoxLayout& content, const QString& title, QWidget* control) {
    auto* row = new SettingsRow(title, control);
    content.addWidget(row);
    return row;
}

void SettingsWindow::buildGeneral() {
    QVBoxLayout* content = nullptr;
    page(SettingsSection::general, content);
    const PlatformVocabulary& words = m_model.vocabulary();
    addRow(*content, QStringLiteral("Capture front window"), new KeyCap(words.copyHotKey))
        ->setNote(m_model.copyHotKeyNote());
    addRow(*content, QStringLiteral("Capture an area"), new KeyCap(words.regionHotKey))
        ->setNote(m_model.regionHotKeyNote());

    m_launchSwitch = new QCheckBox;
    m_launchRow = addRow(*content, QStringLiteral("Launch at login"), m_launchSwitch);
    connect(m_launchSwitch, &QCheckBox::toggled, &m_model, &SettingsViewModel::setLaunchAtLogin);

    m_lastAction = captionText();
    m_lastAction->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    content->addWidget(new SettingsCard(QStringLiteral("Last action"), m_lastAction));
    content->addWidget(captionText(m_model.versionLine()));
}

void SettingsWindow::buildCapture() {
    QVBoxLayout* content = nullptr;
    page(SettingsSection::capture, content);
    m_modePicker = picker(allCaptureModes(), 190);
    m_modeRow = addRow(*content, QStringLiteral("Capture mode"), m_modePicker);
    forward(m_modePicker, allCaptureModes(), m_model, &SettingsViewModel::setPrimaryMode);
    m_bundlePicker = picker(allCaptureBundleFormats(), 240);
    m_bundleRow = addRow(*content, QStringLiteral("Bundle file on disk"), m_bundlePicker);
    forward(m_bundlePicker, allCaptureBundleFormats(), m_model,
            &SettingsViewModel::setBundleFormat);
}

void SettingsWindow::buildAgents() {
    QVBoxLayout* content = nullptr;
    page(SettingsSection::agents, content);
    m_agentPicker = picker(allAgentPasteTargets(), 190);
    m_agentRow = addRow(*content, QStringLiteral("Paste to"), m_agentPicker);
    forward(m_agentPicker, allAgentPasteTargets(), m_model, &SettingsViewModel::setAgentTarget);

    m_advancedToggle = new QToolButton;
    m_advancedToggle->setText(QStringLiteral("Advanced"));
    m_advancedToggle->setAccessibleName(QStringLiteral("Advanced"));
    m_advancedToggle->setAutoRaise(true);
    m_advancedToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    SettingsTextStyle::callout(*m_advancedToggle);
    connect(m_advancedToggle, &QToolButton::clicked, &m_model,
            [this] { m_model.setShowAdvanced(!m_model.showAdvanced()); });
    content->addWidget(m_advancedToggle, 0, Qt::AlignLeft);

    m_advanced = new QWidget;
    auto* advanced = new QVBoxLayout(m_advanced);
    advanced->setContentsMargins(0, 8, 0, 0);
    advanced->setSpacing(10);
    m_pasteboardPicker = picker(allBundlePasteboardFormats(), 260);
    m_pasteboardRow = addRow(*advanced, QStringLiteral("Pasteboard format"), m_pasteboardPicker);
    forward(m_pasteboardPicker, allBundlePasteboardFormats(), m_model,
            &SettingsViewModel::setPasteboardFormat);
    advanced->addWidget(new SettingsCard(QStringLiteral("What the format changes"), formatGuide()));
    content->addWidget(m_advanced);
}

QWidget* SettingsWindow::formatGuide() {
    auto* guide = new QWidget;
    auto* layout = new QVBoxLayout(guide);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    QLabel* paragraphs = captionText();
    paragraphs->setTextFormat(Qt::MarkdownText);
    SettingsTextStyle::setText(*paragraphs, formatGuideText);
    layout->addWidget(paragraphs);

    auto* link = new QLabel;
    link->setTextFormat(Qt::RichText);
    link->setText(QStringLiteral("<a href=\"%1\">Read the format guide</a>")
                      .arg(m_model.formatGuideURL().toString(QUrl::FullyEncoded).toHtmlEscaped()));
    link->setAccessibleName(QStringLiteral("Read the format guide"));
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    SettingsTextStyle::caption(*link);
    // The model opens it, through the desktop the application runs on.
    connect(link, &QLabel::linkActivated, &m_model, [this] { m_model.openFormatGuide(); });
    layout->addWidget(link);
    return guide;
}

void SettingsWindow::buildPrivacy() {
    QVBoxLayout* content = nullptr;
    page(SettingsSection::privacy, content);
    m_accessibilityControl = new PermissionControl;
    m_accessibilityRow = addRow(*content, QStringLiteral("Accessibility"), m_accessibilityControl);
    m_accessibilityControl->button().setAccessibleDescription(QStringLiteral("Accessibility"));
    connect(m_accessibilityControl, &PermissionControl::openSettingsRequested, &m_model,
            &SettingsViewModel::openAccessibilitySettings);
    m_screenRecordingControl = new PermissionControl;
    m_screenRecordingRow =
        addRow(*content, QStringLiteral("Screen Recording"), m_screenRecordingControl);
    m_screenRecordingControl->button().setAccessibleDescription(QStringLiteral("Screen Recording"));
    connect(m_screenRecordingControl, &PermissionControl::openSettingsRequested, &m_model,
            &SettingsViewModel::openScreenRecordingSettings);
    content->addWidget(new SettingsCard(QStringLiteral("Captures on disk"),
                                        captionText(m_model.capturesOnDiskText())));
}

void SettingsWindow::showModel() {
    const int section = int(allSettingsSections().indexOf(m_model.selection()));
    {
        const QSignalBlocker quiet(m_sidebar);
        m_sidebar->setCurrentRow(section);
    }
    m_pages->setCurrentIndex(section);

    {
        const QSignalBlocker quiet(m_launchSwitch);
        m_launchSwitch->setChecked(m_model.launchesAtLogin());
    }
    m_launchRow->setNote(m_model.launchAtLoginNote());
    SettingsTextStyle::setText(*m_lastAction, m_model.lastAction());

    select(*m_modePicker, allCaptureModes(), m_model.activeMode());
    m_modeRow->setNote(m_model.captureModeNote());
    select(*m_bundlePicker, allCaptureBundleFormats(), m_model.activeBundleFormat());
    m_bundleRow->setNote(m_model.bundleFileNote());

    select(*m_agentPicker, allAgentPasteTargets(), m_model.activeAgent());
    m_agentRow->setNote(m_model.agentNote());
    m_advancedToggle->setArrowType(m_model.showAdvanced() ? Qt::DownArrow : Qt::RightArrow);
    m_advanced->setVisible(m_model.showAdvanced());
    select(*m_pasteboardPicker, allBundlePasteboardFormats(), m_model.activePasteboardFormat());
    m_pasteboardRow->setNote(m_model.pasteboardFormatNote());

    m_accessibilityRow->setNote(m_model.accessibilityNote());
    m_accessibilityControl->setGranted(m_model.permissions().accessibility);
    m_screenRecordingRow->setNote(m_model.screenRecordingNote());
    m_screenRecordingControl->setGranted(m_model.permissions().screenRecording);
}

} // namespace vantrel
