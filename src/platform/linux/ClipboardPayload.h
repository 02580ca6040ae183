#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <optional>

class QMimeData;

namespace vantrel {

class Pasteboard;

// What the X11 clipboard offers for one pasteboard: one value per MIME type, as docs/pasteboard.md
// maps the model. The image stays pixels; a PNG is made only when a receiver asks for one.
struct ClipboardPayload {
    QList<QUrl> urls;
    std::optional<QByteArray> text; // UTF-8, exactly as the pasteboard holds it
    std::optional<QByteArray> json;
    std::optional<QImage> image;

    static ClipboardPayload fromPasteboard(const Pasteboard& pasteboard);
    bool isEmpty() const { return urls.isEmpty() && !text && !json && !image; }

    // A new QMimeData for QClipboard, which takes ownership.
    QMimeData* toMimeData() const;

    // A private file format between our own processes: the image travels as raw pixels so that
    // handing a payload over never waits for an encoder.
    QByteArray encoded() const;
    // None when the bytes are not a payload this build wrote.
    static std::optional<ClipboardPayload> decode(const QByteArray& bytes);
};

} // namespace vantrel
