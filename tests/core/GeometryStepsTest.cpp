#include "ControllerFixture.h"

#include "core/geometry/ItemLayout.h"

#include <array>
#include <ostream>

namespace vistrel::test {
namespace {

// The four geometry values in one place, to compare before and after a step.
struct Values {
    float scaleX, scaleY, posX, posY;
    bool operator==(const Values&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Values& v) {
    return out << "{scaleX " << v.scaleX << ", scaleY " << v.scaleY << ", posX " << v.posX << ", posY "
               << v.posY << "}";
}

struct StepCase {
    const char* name;
    void (VistrelController::*action)(Sender*);
    Values expected; // from the initial values below
};

std::ostream& operator<<(std::ostream& out, const StepCase& c) {
    return out << c.name;
}

// Distinct start values, so that a step applied to the wrong axis or field shows.
constexpr Values initial{2.0f, 3.0f, 0.1f, 0.2f};

float plus(float value, double step) {
    return static_cast<float>(static_cast<double>(value) + step);
}
float times(float value, double factor) {
    return static_cast<float>(static_cast<double>(value) * factor);
}

// A picture on screen, laid out with the start values.
class GeometryStepsBase : public ControllerFixture {
  protected:
    void SetUp() override {
        start();
        addPicture("/p/a.jpg");
        setList({"/p/a.jpg"}, 0);
        controller->playIt();
        controller->setScaleX(initial.scaleX);
        controller->setScaleY(initial.scaleY);
        controller->setPosXY(initial.posX, initial.posY);
    }

    Values current() const {
        return {controller->scaleX(), controller->scaleY(), controller->posX(), controller->posY()};
    }

    Rect laidOut(const Values& v) const {
        Rect frame;
        EXPECT_TRUE(layoutItem({640.0f, 480.0f}, window.screenSize(), {v.scaleX, v.scaleY, v.posX, v.posY}, frame));
        return frame;
    }
};

class GeometrySteps : public GeometryStepsBase, public ::testing::WithParamInterface<StepCase> {};
using GeometryStepBounds = GeometryStepsBase;

// Each step changes its one field by its own sign and factor, and lays the item out again.
TEST_P(GeometrySteps, ChangesOneFieldAndLaysOutAgain) {
    const StepCase& c = GetParam();
    const int framesBefore = view.framesSet;
    (controller.get()->*c.action)(nullptr);
    EXPECT_EQ(current(), c.expected);
    EXPECT_EQ(view.framesSet, framesBefore + 1);
    EXPECT_EQ(view.frame(), laidOut(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, GeometrySteps,
    ::testing::Values(
        StepCase{"MoveRight", &VistrelController::movieMoveX, {2.0f, 3.0f, plus(0.1f, 0.02), 0.2f}},
        StepCase{"MoveLeft", &VistrelController::movieMoveMX, {2.0f, 3.0f, plus(0.1f, -0.02), 0.2f}},
        StepCase{"MoveUp", &VistrelController::movieMoveY, {2.0f, 3.0f, 0.1f, plus(0.2f, 0.02)}},
        StepCase{"MoveDown", &VistrelController::movieMoveMY, {2.0f, 3.0f, 0.1f, plus(0.2f, -0.02)}},
        StepCase{"Bigger", &VistrelController::movieScale, {times(2.0f, 1.1), 3.0f, 0.1f, 0.2f}},
        StepCase{"Smaller", &VistrelController::movieScaleM, {times(2.0f, 0.9), 3.0f, 0.1f, 0.2f}},
        StepCase{"Stretch", &VistrelController::movieScaleY, {2.0f, times(3.0f, 1.1), 0.1f, 0.2f}},
        StepCase{"Squeeze", &VistrelController::movieScaleYM, {2.0f, times(3.0f, 0.9), 0.1f, 0.2f}}),
    [](const auto& tested) { return std::string(tested.param.name); });

// The values are not bounded and never stored: only the settings window writes them.
TEST_F(GeometryStepBounds, StepsAreUnboundedAndNotStored) {
    const auto storedBefore = settings.strings;
    for (int i = 0; i < 100; ++i) {
        controller->movieMoveMX(nullptr);
        controller->movieScaleM(nullptr);
    }
    EXPECT_LT(controller->posX(), -1.0f);
    EXPECT_GT(controller->scaleX(), 0.0f);
    EXPECT_LT(controller->scaleX(), 0.001f);
    EXPECT_EQ(settings.strings, storedBefore);
}

} // namespace
} // namespace vistrel::test
