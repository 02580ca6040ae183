#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace vantrel {

// A scene file that cannot be used. The message names the file, the JSON path of the offending
// value and what was expected there.
class SceneError final : public std::exception {
  public:
    explicit SceneError(QString message);

    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

  private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace vantrel
