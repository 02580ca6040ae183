#pragma once

#include "ClipboardPayload.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace vantrel {

// What the clipboard server offers for one payload: the X11 selection targets it answers, each
// rendered from the payload on request. The mapping is the table in ClipboardTargets.cpp
// (docs/pasteboard.md); TARGETS, TIMESTAMP and MULTIPLE are the selection owner's own.
class ClipboardTargets final {
  public:
    explicit ClipboardTargets(ClipboardPayload payload);

    // The targets this payload has a value for, in a fixed order.
    QList<QByteArray> names() const;
    // The value of one target; none when the payload has nothing for it. The PNG is encoded on
    // the first request for it and kept.
    std::optional<QByteArray> render(const QByteArray& target);

  private:
    ClipboardPayload m_payload;
    std::optional<QByteArray> m_png;
};

} // namespace vantrel
