#pragma once

// Lets GoogleTest print Qt strings as text rather than as arrays of code units.

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& lines, std::ostream* out) {
    *out << "{\n";
    for (const QString& line : lines)
        *out << "  \"" << line.toStdString() << "\"\n";
    *out << "}";
}
