#include "JsonRpcLineReader.h"

namespace vantrel {

void JsonRpcLineReader::take(QList<Line>& lines, QByteArray text) {
    if (text.endsWith('\r'))
        text.chop(1);
    if (!text.trimmed().isEmpty())
        lines.append({std::move(text), false});
}

QList<JsonRpcLineReader::Line> JsonRpcLineReader::feed(const QByteArray& bytes) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype end = newline < 0 ? bytes.size() : newline;
        if (!m_skipping) {
            if (m_pending.size() + (end - start) > m_maxLineBytes) {
                m_pending.clear();
                m_skipping = true;
                lines.append({QByteArray(), true});
            } else {
                m_pending.append(bytes.constData() + start, end - start);
            }
        }
        if (newline < 0)
            break;
        if (!m_skipping)
            take(lines, std::exchange(m_pending, QByteArray()));
        m_skipping = false;
        start = newline + 1;
    }
    return lines;
}

QList<JsonRpcLineReader::Line> JsonRpcLineReader::finish() {
    QList<Line> lines;
    if (!m_skipping)
        take(lines, std::exchange(m_pending, QByteArray()));
    m_skipping = false;
    return lines;
}

} // namespace vantrel
