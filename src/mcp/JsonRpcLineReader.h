#pragma once

#include <QByteArray>
#include <QList>

namespace vantrel {

// Cuts a byte stream into lines: one JSON-RPC message per line, "\n" or "\r\n" ended, empty lines
// skipped. A line longer than the limit is dropped whole and reported once, so a runaway sender
// cannot make the server hold unbounded memory.
class JsonRpcLineReader final {
  public:
    static constexpr qsizetype defaultMaxLineBytes = 32 * 1024 * 1024;

    struct Line {
        QByteArray text;
        bool tooLong = false; // text is empty then
    };

    explicit JsonRpcLineReader(qsizetype maxLineBytes = defaultMaxLineBytes)
        : m_maxLineBytes(maxLineBytes) {}

    QList<Line> feed(const QByteArray& bytes);
    // The last line when the stream ends without a newline.
    QList<Line> finish();

  private:
    void take(QList<Line>& lines, QByteArray text);

    qsizetype m_maxLineBytes;
    QByteArray m_pending;
    bool m_skipping = false;
};

} // namespace vantrel
