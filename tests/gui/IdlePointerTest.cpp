#include "app/IdlePointer.h"

#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace vistrel::test {
namespace {

constexpr int quickRest = 20;
constexpr int patience = 5000;

bool waitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, patience);
}

TEST(IdlePointerTest, HidesAfterRestAndShowsAgainOnMovement) {
    QWidget window;
    window.resize(200, 100);
    window.show();
    auto* pointer = new IdlePointer(window, [] { return true; }, quickRest);

    ASSERT_TRUE(waitFor([&] { return pointer->isHidden(); }));
    EXPECT_EQ(window.cursor().shape(), Qt::BlankCursor);

    QTest::mouseMove(&window, QPoint(50, 50));
    EXPECT_FALSE(pointer->isHidden());
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(waitFor([&] { return pointer->isHidden(); }));
}

TEST(IdlePointerTest, StaysWhileItMayNotHideAndGoesOnceItMay) {
    QWidget window;
    window.show();
    bool menuBarUp = true;
    int asked = 0;
    auto* pointer = new IdlePointer(window, [&] { ++asked; return !menuBarUp; }, quickRest);

    ASSERT_TRUE(waitFor([&] { return asked >= 3; })); // several rests have passed
    EXPECT_FALSE(pointer->isHidden());
    menuBarUp = false; // no movement needed for the pointer to go now
    EXPECT_TRUE(waitFor([&] { return pointer->isHidden(); }));
}

} // namespace
} // namespace vistrel::test
