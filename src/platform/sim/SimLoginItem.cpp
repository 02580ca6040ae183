#include "SimLoginItem.h"

namespace vantrel {

SimLoginItem::SimLoginItem(Status status) : m_status(status) {}

void SimLoginItem::registerItem() {
    ++m_registers;
    if (m_error)
        throw *m_error;
    m_status = Status::enabled;
}

void SimLoginItem::unregisterItem() {
    ++m_unregisters;
    if (m_error)
        throw *m_error;
    m_status = Status::notRegistered;
}

} // namespace vantrel
