#pragma once

#include "ui/StatusMenu.h"

#include <QMap>
#include <QObject>

namespace vantrel {

class CompositorHelper;
class StatusMenuPresenter;

// The status menu in the desktop shell's own panel, where the desktop shows no tray icons
// (GNOME's top bar): sent again whenever the presenter rebuilds it, and an item chosen there
// runs as a click in the tray's menu would.
class ShellStatusMenu final : public QObject {
    Q_OBJECT

  public:
    // A click reaches us after the menu it was made in may have been replaced (the app sends it
    // again on every change): the last few menus sent are kept, so the item the user saw runs.
    static constexpr qsizetype keptMenus = 8;

    ShellStatusMenu(StatusMenuPresenter& presenter, CompositorHelper& shell,
                    QObject* parent = nullptr);

    // Whether the shell took the latest menu.
    bool isShown() const { return m_shown; }
    void send();

  private:
    void choose(const QString& itemId);

    StatusMenuPresenter& m_presenter;
    CompositorHelper& m_shell;
    // Each menu sent is a new generation; a choice made in one no longer kept is dropped.
    quint64 m_generation = 0;
    QMap<quint64, StatusMenu> m_sent;
    bool m_shown = false;
};

} // namespace vantrel
