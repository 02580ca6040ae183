#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(NotificationCenter, DeliversByNameInRegistrationOrder) {
    NotificationCenter center;
    QStringList calls;
    center.addObserver("a", [&] { calls << "first"; });
    const auto removed = center.addObserver("a", [&] { calls << "removed"; });
    center.addObserver("b", [&] { calls << "other name"; });
    center.addObserver("a", [&] { calls << "third"; });
    center.removeObserver(removed);
    center.post("a");
    EXPECT_EQ(calls, (QStringList{"first", "third"}));
}

TEST(NotificationCenter, AnObserverAddedDuringAPostWaitsForTheNextPost) {
    NotificationCenter center;
    int late = 0;
    center.addObserver("a", [&] { center.addObserver("a", [&] { ++late; }); });
    center.post("a");
    EXPECT_EQ(late, 0);
    center.post("a");
    EXPECT_EQ(late, 1);
}
