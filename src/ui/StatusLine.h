#pragma once

#include <QObject>
#include <QString>

namespace vantrel {

// The one line that says what the app last did ("Last action" in the settings window), and what
// it adds after a capture whose tree came back empty.
class StatusLine final : public QObject {
    Q_OBJECT

  public:
    explicit StatusLine(QString text, QObject* parent = nullptr);

    const QString& text() const { return m_text; }
    // Said after the line: why a capture's tree came back empty; empty otherwise.
    const QString& followUp() const { return m_followUp; }
    // Both change together, so a listener never reads a line with the previous follow-up.
    void set(const QString& text, const QString& followUp = {});

  Q_SIGNALS:
    void changed();

  private:
    QString m_text;
    QString m_followUp;
};

} // namespace vantrel
