#include "app/QtStepTimer.h"
#include "fakes/EventLoop.h"
#include "fakes/ModalBoxWatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <stdexcept>

namespace skedula {
namespace {

using fakes::ModalBoxWatcher;

TEST(StepTimer, FollowsTheIntervalContract) {
    QtStepTimer timer;
    EXPECT_EQ(timer.interval(), 0);
    EXPECT_EQ(timer.platformTimerId(), -1);

    timer.setInterval(500);
    const int first = timer.platformTimerId();
    EXPECT_NE(first, -1);
    timer.setInterval(500); // the same value does nothing
    EXPECT_EQ(timer.platformTimerId(), first);

    timer.setInterval(250); // a new value restarts
    EXPECT_NE(timer.platformTimerId(), -1);
    EXPECT_EQ(timer.interval(), 250);

    timer.setInterval(0);
    EXPECT_EQ(timer.platformTimerId(), -1);
    EXPECT_EQ(timer.interval(), 0);
}

TEST(StepTimer, ItsTagHoldsTheStepCounter) {
    QtStepTimer timer;
    timer.Tag = -1;
    timer.setInterval(500);
    timer.setInterval(0);
    EXPECT_EQ(timer.Tag, -1);
}

TEST(StepTimer, ATicksErrorIsReportedOnceWhileTheTicksGoOn) {
    QtStepTimer timer;
    int ticks = 0;
    int ticksWhenBoxOpened = -1;
    timer.onTick = [&] {
        ++ticks;
        if (ticks == 1)
            throw std::runtime_error("'+' ist kein gültiger Integerwert");
    };
    // The box stays open until five more ticks have come while it is shown.
    ModalBoxWatcher watcher([&] {
        if (ticksWhenBoxOpened < 0)
            ticksWhenBoxOpened = ticks;
        return ticks >= ticksWhenBoxOpened + 5;
    });
    timer.setInterval(20);
    ASSERT_TRUE(test::WaitUntil(
        [&] { return ticksWhenBoxOpened >= 0 && ticks >= ticksWhenBoxOpened + 8; }));
    timer.setInterval(0);
    ASSERT_EQ(watcher.boxes().size(), 1u);
    EXPECT_EQ(watcher.boxes()[0].caption, "Skedula");
    EXPECT_EQ(watcher.boxes()[0].text, QString::fromUtf8("'+' ist kein gültiger Integerwert."));
}

} // namespace
} // namespace skedula
