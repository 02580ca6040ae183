#include "StatusLine.h"

namespace vantrel {

StatusLine::StatusLine(QString text, QObject* parent) : QObject(parent), m_text(std::move(text)) {}

void StatusLine::set(const QString& text, const QString& followUp) {
    m_text = text;
    m_followUp = followUp;
    Q_EMIT changed();
}

} // namespace vantrel
