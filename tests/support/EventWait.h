#pragma once
// Waiting in a window test for what the window does on its own time (a
// paint, a timer, a deferred delete): its events run until the awaited
// state holds. A loaded machine delays each of them by seconds, so the
// bound only ends a test whose event never comes.

#include <QTest>

#include <chrono>

namespace testsupport {

inline constexpr std::chrono::seconds kEventBound{60};

// Runs the application's events until done() holds or the bound has passed;
// returns done().
template <class Done>
bool RunEventsUntil(Done done, std::chrono::milliseconds bound = kEventBound) {
    return QTest::qWaitFor(done, static_cast<int>(bound.count()));
}

}  // namespace testsupport
