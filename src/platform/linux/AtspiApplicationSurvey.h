#pragma once

#include "../DesktopDiagnostics.h"

#include <QHash>

namespace vantrel {

// Looks up applications on the accessibility bus by process id: their toolkit name and how many
// nodes they expose, counted breadth first up to a bound. Every call is bounded by libatspi's
// timeout, and an application that stops answering is counted no further.
class AtspiApplicationSurvey final {
  public:
    struct Answer {
        bool onBus = false;
        bool answered = true;
        QString toolkitName;
        int nodeCount = 0;
        bool exposesTree = false;
    };

    // Reads the list of registered applications once.
    AtspiApplicationSurvey();
    ~AtspiApplicationSurvey();
    AtspiApplicationSurvey(const AtspiApplicationSurvey&) = delete;
    AtspiApplicationSurvey& operator=(const AtspiApplicationSurvey&) = delete;

    Answer survey(qint64 pid, int nodeBound) const;

  private:
    QHash<qint64, void*> m_applications; // AtspiAccessible*, one reference each
};

} // namespace vantrel
