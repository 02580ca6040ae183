#include "X11Pasteboard.h"

#include "ClipboardPayload.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vantrel {

void X11Pasteboard::contentsDidChange() {
    if (m_mirroring != Mirroring::everyChange)
        return;
    QGuiApplication::clipboard()->setMimeData(ClipboardPayload::fromPasteboard(*this).toMimeData(),
                                              QClipboard::Clipboard);
}

} // namespace vantrel
