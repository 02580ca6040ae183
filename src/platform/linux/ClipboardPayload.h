#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <optional>
#include <string>

class QMimeData;

namespace vantrel {

class Pasteboard;

// What the clipboard offers for one pasteboard: one value per MIME type, as docs/pasteboard.md
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

    // The clipboard server's payload file (ClipboardOffer's format): every target's value, and
    // the image as raw pixels so that handing a payload over never waits for an encoder.
    std::string encoded() const;
};

} // namespace vantrel
