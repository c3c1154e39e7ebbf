#include "playlist/PlayMover.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace vistrel {
namespace {

class PlayMoverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.resize(200, 300);
        mover = new PlayMover(&window);
        table = new QWidget(&window);
        text = new QWidget(&window);
        mover->setPanes(table, text, 30);
    }

    // Real mouse events at a height in the window, as the window system would send them.
    void send(QEvent::Type type, int windowY, Qt::MouseButtons buttons) {
        const QPointF local = mover->mapFromParent(QPointF(100, windowY));
        QMouseEvent event(type, local, mover->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(mover, &event);
    }

    QWidget window;
    PlayMover* mover = nullptr;
    QWidget* table = nullptr;
    QWidget* text = nullptr;
};

TEST_F(PlayMoverTest, PlacesThePanesAndDragsTheBoundaryWithinLimits) {
    // 300 - 30 - 9 = 261 below the top: the text gets a third.
    EXPECT_EQ(table->geometry(), QRect(0, 30, 200, 174));
    EXPECT_EQ(mover->geometry(), QRect(0, 204, 200, 9));
    EXPECT_EQ(text->geometry(), QRect(0, 213, 200, 87));

    QSignalSpy started(mover, &PlayMover::liveResizeStarted);
    QSignalSpy ended(mover, &PlayMover::liveResizeEnded);
    send(QEvent::MouseButtonPress, 208, Qt::LeftButton);
    send(QEvent::MouseMove, 208, Qt::LeftButton); // sets the reference only
    send(QEvent::MouseMove, 188, Qt::LeftButton); // 20 up
    EXPECT_EQ(table->geometry(), QRect(0, 30, 200, 154));
    EXPECT_EQ(text->geometry(), QRect(0, 193, 200, 107));
    EXPECT_EQ(mover->y(), 184);
    send(QEvent::MouseMove, 0, Qt::LeftButton); // the table would vanish: nothing moves
    EXPECT_EQ(table->height(), 154);
    send(QEvent::MouseButtonRelease, 0, Qt::NoButton);
    EXPECT_EQ(started.count(), 1);
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(PlayMoverTest, ResizingKeepsTheTextAtTheBottomAndTheTableTopInside) {
    send(QEvent::MouseButtonPress, 208, Qt::LeftButton); // measures the gap: 30
    send(QEvent::MouseButtonRelease, 208, Qt::NoButton);

    window.resize(260, 400);
    mover->windowDidResize();
    EXPECT_EQ(text->geometry(), QRect(0, 313, 260, 87));
    EXPECT_EQ(table->geometry(), QRect(0, 30, 260, 274));
    EXPECT_EQ(mover->geometry(), QRect(0, 304, 260, 9));
}

} // namespace
} // namespace vistrel
