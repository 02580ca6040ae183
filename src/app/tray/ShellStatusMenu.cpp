#include "ShellStatusMenu.h"

#include "platform/CompositorHelper.h"
#include "ui/StatusMenuPresenter.h"
#include "ui/StatusMenuWire.h"

#include <QPointer>

namespace vantrel {

ShellStatusMenu::ShellStatusMenu(StatusMenuPresenter& presenter, CompositorHelper& shell,
                                 QObject* parent)
    : QObject(parent), m_presenter(presenter), m_shell(shell) {
    connect(&m_presenter, &StatusMenuPresenter::statusMenuChanged, this, &ShellStatusMenu::send);
}

void ShellStatusMenu::send() {
    ++m_generation;
    m_sent.insert(m_generation, m_presenter.statusMenu());
    while (m_sent.size() > keptMenus)
        m_sent.erase(m_sent.begin());
    QPointer<ShellStatusMenu> self(this);
    m_shown = m_shell.showStatusMenu(StatusMenuWire::serialise(m_sent.last(), m_generation),
                                     [self](const QString& itemId) {
                                         if (self)
                                             self->choose(itemId);
                                     });
}

void ShellStatusMenu::choose(const QString& itemId) {
    std::optional<StatusMenuItem> item;
    for (auto menu = m_sent.cbegin(); menu != m_sent.cend() && !item; ++menu)
        item = StatusMenuWire::chosen(menu.value(), menu.key(), itemId);
    if (!item)
        return;
    // Queued, as the tray's clicks are: a choice rebuilds the menu, which sends it again.
    QMetaObject::invokeMethod(
        &m_presenter, [presenter = &m_presenter, chosen = *item] { presenter->perform(chosen); },
        Qt::QueuedConnection);
}

} // namespace vantrel
