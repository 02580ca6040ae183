#pragma once

#include "../Pasteboard.h"

#include <QString>
#include <QTimer>

namespace vantrel {

// The pasteboard model on GNOME on Wayland. GNOME ignores a clipboard set by a client without a
// focused window, so a long-running app hands every payload to a clipboard server of its own, as
// a command does when it ends. A payload is written as several changes in one go; they are handed
// over together once control returns to the event loop.
class WaylandPasteboard final : public Pasteboard {
  public:
    // The running executable, whose clipboard server takes each payload; an empty one keeps the
    // model in this process only (a command hands it over itself).
    explicit WaylandPasteboard(QString executable = {});

  protected:
    void contentsDidChange() override;

  private:
    void handOff();

    QString m_executable;
    QTimer m_pendingHandOff;
};

} // namespace vantrel
