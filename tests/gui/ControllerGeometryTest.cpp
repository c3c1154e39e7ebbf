#include "AppTestFixture.h"
#include "display/VistrelView.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace vistrel::test {
namespace {

// Real mouse and wheel events on the application's picture view must reach the
// controller's geometry: the view's gestures are wired to it, not to a copy.
class ControllerGeometryGestures : public AppTestFixture {
  protected:
    void SetUp() override { start(pictureFiles(1)); }

    VistrelView& view() { return app->view(); }

    void mouse(QEvent::Type type, QPointF local, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, view().mapToGlobal(local), button, held, modifiers);
        QCoreApplication::sendEvent(&view(), &event);
    }

    // A drag by (dx, dy) in Qt's coordinates (y down) from the middle of the view.
    void drag(QPointF by, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF from(view().width() / 2.0, view().height() / 2.0);
        mouse(QEvent::MouseButtonPress, from, modifiers);
        mouse(QEvent::MouseMove, from + QPointF(1, 1), modifiers);
        mouse(QEvent::MouseMove, from + QPointF(1, 1) + by, modifiers);
        mouse(QEvent::MouseButtonRelease, from + QPointF(1, 1) + by, modifiers);
    }

    void wheel(QPoint angleDelta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF local(view().width() / 2.0, view().height() / 2.0);
        QWheelEvent event(local, view().mapToGlobal(local), QPoint(), angleDelta, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view(), &event);
    }
};

TEST_F(ControllerGeometryGestures, ADragMovesTheItemRightAndUp) {
    const float width = static_cast<float>(view().width());
    const float height = static_cast<float>(view().height());
    drag(QPointF(40, -30));
    EXPECT_FLOAT_EQ(controller().posX(), 40.0f / width);
    EXPECT_FLOAT_EQ(controller().posY(), 30.0f / height);
    EXPECT_EQ(controller().scaleX(), 1.0f);
    EXPECT_EQ(controller().scaleY(), 1.0f);
}

TEST_F(ControllerGeometryGestures, AShiftDragScalesTheItem) {
    const float width = static_cast<float>(view().width());
    drag(QPointF(50, 20), Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(controller().scaleX(), 1.0f + 50.0f / width);
    EXPECT_EQ(controller().scaleY(), 1.0f);
    EXPECT_EQ(controller().posX(), 0.0f);
    EXPECT_EQ(controller().posY(), 0.0f);
}

TEST_F(ControllerGeometryGestures, TheWheelScalesAndWithAltStretches) {
    wheel(QPoint(0, 120));
    EXPECT_FLOAT_EQ(controller().scaleX(), 1.1f);
    wheel(QPoint(0, -120), Qt::AltModifier);
    EXPECT_FLOAT_EQ(controller().scaleY(), 0.9f);
    EXPECT_FLOAT_EQ(controller().scaleX(), 1.1f);
    EXPECT_EQ(controller().posX(), 0.0f);
}

} // namespace
} // namespace vistrel::test
