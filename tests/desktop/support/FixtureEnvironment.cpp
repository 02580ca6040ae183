#include "FixtureEnvironment.h"

#include <QFile>
#include <QRegularExpression>

namespace vantrel::testing {

QString applyFixtureEnvironment(const QString& stateDir) {
    QFile file(stateDir + "/env");
    if (!file.open(QIODevice::ReadOnly))
        return QString("no desktop in %1: %2").arg(stateDir, file.errorString());
    static const QRegularExpression exportLine("^export ([A-Z0-9_]+)='([^']*)'$");
    static const QRegularExpression unsetLine("^unset ([A-Z0-9_ ]+)$");
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (const auto match = exportLine.match(line); match.hasMatch()) {
            qputenv(match.captured(1).toUtf8().constData(), match.captured(2).toUtf8());
        } else if (const auto unset = unsetLine.match(line); unset.hasMatch()) {
            for (const QString& name : unset.captured(1).split(' ', Qt::SkipEmptyParts))
                qunsetenv(name.toUtf8().constData());
        } else if (!line.isEmpty()) {
            return QString("unexpected line in %1/env: %2").arg(stateDir, line);
        }
    }
    return {};
}

} // namespace vantrel::testing
