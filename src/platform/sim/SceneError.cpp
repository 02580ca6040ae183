#include "SceneError.h"

namespace vantrel {

SceneError::SceneError(QString message)
    : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

} // namespace vantrel
