#pragma once

#include "ClipboardPayload.h"

#include <QByteArray>
#include <QImage>
#include <QList>

#include <optional>

namespace vantrel {

// What the clipboard server offers for one payload: the X11 selection targets it answers, or the
// MIME types it offers on Wayland, each rendered from the payload on request. The mapping is the
// table in ClipboardTargets.cpp (docs/pasteboard.md); TARGETS, TIMESTAMP and MULTIPLE are the X11
// selection owner's own.
class ClipboardTargets final {
  public:
    // The picture's encoder (the executable's PngEncoder): empty bytes when it cannot encode.
    using PngEncoding = QByteArray (*)(const QImage&);

    ClipboardTargets(ClipboardPayload payload, PngEncoding encodePng);

    // The targets this payload has a value for, in a fixed order.
    QList<QByteArray> names() const;
    // The value of one target; none when the payload has nothing for it. The PNG is encoded on
    // the first request for it and kept.
    std::optional<QByteArray> render(const QByteArray& target);
    // The same for Wayland's MIME types.
    QList<QByteArray> mimeTypes() const;
    std::optional<QByteArray> renderMimeType(const QByteArray& type);

  private:
    std::optional<QByteArray> png();

    ClipboardPayload m_payload;
    PngEncoding m_encodePng;
    std::optional<QByteArray> m_png;
};

} // namespace vantrel
