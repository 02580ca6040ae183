#include "TrayIcon.h"

#include "StatusIconPainter.h"
#include "ui/StatusMenu.h"
#include "ui/StatusMenuPresenter.h"

#include <QActionGroup>
#include <QMenu>
#include <QSystemTrayIcon>

namespace vantrel {

namespace {

// The menu names symbols; the desktop's icon theme has its own names for them.
QIcon themeIcon(const QString& symbol) {
    static const QHash<QString, QString> themeNames = {
        {QStringLiteral("info.circle"), QStringLiteral("help-about")},
        {QStringLiteral("wand.and.rays"), QStringLiteral("tools-wizard")},
        {QStringLiteral("globe"), QStringLiteral("applications-internet")},
        {QStringLiteral("book"), QStringLiteral("help-contents")},
        {QStringLiteral("envelope"), QStringLiteral("mail-send")},
        {QStringLiteral("arrow.down.circle"), QStringLiteral("system-software-update")},
        {QStringLiteral("square.grid.2x2"), QStringLiteral("view-grid")},
    };
    const QString name = themeNames.value(symbol);
    return name.isEmpty() ? QIcon() : QIcon::fromTheme(name);
}

} // namespace

TrayIcon::TrayIcon(StatusMenuPresenter& presenter, QObject* parent)
    : QObject(parent), m_presenter(presenter), m_tray(std::make_unique<QSystemTrayIcon>()),
      m_menu(std::make_unique<QMenu>()) {
    m_tray->setIcon(StatusIconPainter::icon());
    m_tray->setContextMenu(m_menu.get());
    connect(&m_presenter, &StatusMenuPresenter::statusMenuChanged, this, &TrayIcon::showMenu);
    connect(&m_presenter, &StatusMenuPresenter::toolTipChanged, this, &TrayIcon::showToolTip);
    // A left click opens the same menu as a right click.
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    m_menu->popup(m_tray->geometry().center());
            });
    showMenu();
    showToolTip();
    m_tray->show();
}

TrayIcon::~TrayIcon() = default;

QString TrayIcon::toolTip() const {
    return m_tray->toolTip();
}

bool TrayIcon::isTrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::showMenu() {
    // Rebuilt from scratch, as the model is; clear() leaves the submenus, so they go here.
    m_menu->clear();
    qDeleteAll(m_menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly));
    addItems(*m_menu, m_presenter.statusMenu().items);
}

void TrayIcon::showToolTip() {
    m_tray->setToolTip(m_presenter.toolTip());
}

void TrayIcon::addItems(QMenu& menu, const QList<StatusMenuItem>& items) {
    for (const StatusMenuItem& item : items) {
        if (item.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        if (!item.submenu.isEmpty()) {
            QMenu* submenu = menu.addMenu(item.title);
            addItems(*submenu, item.submenu);
            continue;
        }
        QAction* action = menu.addAction(themeIcon(item.iconName), item.title);
        action->setEnabled(item.enabled);
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (!item.key.isEmpty())
            action->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + item.key.toUpper()));
        // Queued: a choice may rebuild this very menu, which must not happen inside the action's
        // own signal (the rebuild deletes the action).
        connect(
            action, &QAction::triggered, this, [this, item] { m_presenter.perform(item); },
            Qt::QueuedConnection);
    }
}

} // namespace vantrel
