#include "ClipboardTargets.h"

#include <QString>

namespace vantrel {

namespace {

// The text a plain-text target carries: the payload's text, else its URLs one per line, as
// receivers that only read text got them before.
std::optional<QByteArray> plainTextOf(const ClipboardPayload& payload) {
    if (payload.text)
        return payload.text;
    if (payload.urls.isEmpty())
        return std::nullopt;
    QStringList lines;
    for (const QUrl& url : payload.urls)
        lines.append(url.toDisplayString());
    return lines.join(u'\n').toUtf8();
}

std::optional<QByteArray> uriListOf(const ClipboardPayload& payload) {
    if (payload.urls.isEmpty())
        return std::nullopt;
    QByteArray list;
    for (const QUrl& url : payload.urls)
        list += url.toEncoded() + "\r\n";
    return list;
}

// Mozilla's own type: the first URL and a newline, in UTF-16.
std::optional<QByteArray> mozillaUrlOf(const ClipboardPayload& payload) {
    if (payload.urls.isEmpty())
        return std::nullopt;
    const QString line = QString::fromUtf8(payload.urls.first().toEncoded()) + u'\n';
    return QByteArray(reinterpret_cast<const char*>(line.utf16()), line.size() * 2);
}

// ICCCM's STRING (and TEXT, answered as STRING) is Latin-1.
std::optional<QByteArray> latin1Of(const ClipboardPayload& payload) {
    const auto text = plainTextOf(payload);
    if (!text)
        return std::nullopt;
    return QString::fromUtf8(*text).toLatin1();
}

std::optional<QByteArray> utf8TextOf(const ClipboardPayload& payload) {
    return payload.text;
}

std::optional<QByteArray> jsonOf(const ClipboardPayload& payload) {
    return payload.json;
}

constexpr char pngTarget[] = "image/png";

// The one place the payload meets the clipboards' names: the X11 target, the MIME type offered on
// Wayland (none for X11's own Latin-1 encodings, which Wayland receivers never ask for: they ask
// in MIME types, and GNOME derives an Xwayland client's X11 text targets from
// text/plain;charset=utf-8), and the payload's value for both.
struct ClipboardTargetRule {
    const char* name;
    const char* waylandName;
    std::optional<QByteArray> (*render)(const ClipboardPayload&);
};
const ClipboardTargetRule clipboardTargetRules[] = {
    {"text/uri-list", "text/uri-list", uriListOf},
    {"text/x-moz-url", "text/x-moz-url", mozillaUrlOf},
    {"text/plain;charset=utf-8", "text/plain;charset=utf-8", utf8TextOf},
    {"text/plain", "text/plain", plainTextOf},
    {"UTF8_STRING", "UTF8_STRING", plainTextOf},
    {"STRING", nullptr, latin1Of},
    {"TEXT", nullptr, latin1Of},
    {"application/json", "application/json", jsonOf},
};

} // namespace

ClipboardTargets::ClipboardTargets(ClipboardPayload payload, PngEncoding encodePng)
    : m_payload(std::move(payload)), m_encodePng(encodePng) {}

QList<QByteArray> ClipboardTargets::names() const {
    QList<QByteArray> names;
    for (const ClipboardTargetRule& rule : clipboardTargetRules) {
        if (rule.render(m_payload))
            names.append(rule.name);
    }
    if (m_payload.image)
        names.append(pngTarget);
    return names;
}

QList<QByteArray> ClipboardTargets::mimeTypes() const {
    QList<QByteArray> types;
    for (const ClipboardTargetRule& rule : clipboardTargetRules) {
        if (rule.waylandName && rule.render(m_payload))
            types.append(rule.waylandName);
    }
    if (m_payload.image)
        types.append(pngTarget);
    return types;
}

std::optional<QByteArray> ClipboardTargets::render(const QByteArray& target) {
    if (target == pngTarget)
        return png();
    for (const ClipboardTargetRule& rule : clipboardTargetRules) {
        if (target == rule.name)
            return rule.render(m_payload);
    }
    return std::nullopt;
}

std::optional<QByteArray> ClipboardTargets::renderMimeType(const QByteArray& type) {
    if (type == pngTarget)
        return png();
    for (const ClipboardTargetRule& rule : clipboardTargetRules) {
        if (rule.waylandName && type == rule.waylandName)
            return rule.render(m_payload);
    }
    return std::nullopt;
}

std::optional<QByteArray> ClipboardTargets::png() {
    if (!m_payload.image)
        return std::nullopt;
    if (!m_png)
        m_png = m_encodePng(*m_payload.image);
    // A picture the encoder refuses is not offered as an empty file.
    return m_png->isEmpty() ? std::nullopt : m_png;
}

} // namespace vantrel
