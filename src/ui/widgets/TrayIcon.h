#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace vantrel {

class StatusMenuPresenter;
struct StatusMenuItem;

// The status item: shows the presenter's menu and tooltip in the system tray and forwards the
// chosen item back. Without a tray on the desktop it is simply not visible.
class TrayIcon final : public QObject {
    Q_OBJECT

  public:
    explicit TrayIcon(StatusMenuPresenter& presenter, QObject* parent = nullptr);
    ~TrayIcon() override;

    static bool isTrayAvailable();
    QMenu* menu() const { return m_menu.get(); }
    QString toolTip() const;

  private:
    void showMenu();
    void showToolTip();
    void addItems(QMenu& menu, const QList<StatusMenuItem>& items);

    StatusMenuPresenter& m_presenter;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace vantrel
