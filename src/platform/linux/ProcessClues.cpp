#include "ProcessClues.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace vantrel {

ToolkitClues ProcessClues::of(qint64 pid) {
    ToolkitClues clues;
    const QString folder = QStringLiteral("/proc/%1/").arg(pid);
    clues.executable = QFileInfo(folder + QStringLiteral("exe")).symLinkTarget();
    QFile cmdline(folder + QStringLiteral("cmdline"));
    if (cmdline.open(QIODevice::ReadOnly)) {
        for (const QByteArray& argument : cmdline.readAll().split('\0')) {
            if (!argument.isEmpty())
                clues.arguments << QString::fromLocal8Bit(argument);
        }
    }
    // The maps name every mapped file; the shared libraries among them tell the toolkit.
    QFile maps(folder + QStringLiteral("maps"));
    if (maps.open(QIODevice::ReadOnly)) {
        QSet<QString> seen;
        // Files under /proc report no size, so they are read whole rather than to an end.
        for (const QByteArray& raw : maps.readAll().split('\n')) {
            const QByteArray line = raw.trimmed();
            const qsizetype slash = line.indexOf('/');
            if (slash < 0 || !line.contains(".so"))
                continue;
            const QString name = QFileInfo(QString::fromLocal8Bit(line.mid(slash))).fileName();
            if (!seen.contains(name)) {
                seen.insert(name);
                clues.libraries << name;
            }
        }
    }
    return clues;
}

} // namespace vantrel
