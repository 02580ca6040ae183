#pragma once

#include <QObject>
#include <QStringList>

namespace vantrel::testing {

// Records the string argument of each D-Bus signal connected to record().
class SignalRecorder : public QObject {
    Q_OBJECT

  public:
    QStringList received;

  public Q_SLOTS:
    void record(const QString& argument) { received.append(argument); }
};

} // namespace vantrel::testing
