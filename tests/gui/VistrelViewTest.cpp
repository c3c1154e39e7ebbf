#include "display/VistrelView.h"

#include "PaintCounter.h"
#include "FakeMovie.h"
#include "OpenedMovie.h"
#include "display/MovieControlBar.h"
#include "media/movies/ModuleMovieService.h"
#include "TestExecutor.h"
#include "media/pictures/QtPicture.h"
#include "media/pictures/QtPictureService.h"
#include "app/QtBackgroundWork.h"
#include "core/show/ItemLoader.h"
#include "core/view/ViewGeometry.h"

#include <QDir>
#include <QMouseEvent>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTransform>
#include <QWheelEvent>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

using namespace vistrel;

namespace {

// Records what gestures ask of the controller; the view itself stays where it is.
class RecordingGeometry : public ViewGeometry {
  public:
    struct Log {
        std::vector<std::pair<float, float>> positions;
        std::vector<float> scalesX;
        std::vector<float> scalesY;
        std::size_t calls() const { return positions.size() + scalesX.size() + scalesY.size(); }
    };
    explicit RecordingGeometry(Log& log) : m_log(log) {}

    float scaleX() const override { return 1.0f; }
    float scaleY() const override { return 2.0f; }
    float posX() const override { return 0.0f; }
    float posY() const override { return 0.0f; }
    void setScaleX(float value) override { m_log.scalesX.push_back(value); }
    void setScaleY(float value) override { m_log.scalesY.push_back(value); }
    void setPosXY(float x, float y) override { m_log.positions.emplace_back(x, y); }

  private:
    Log& m_log;
};

// A 4x2 picture whose corners all differ, so every turn and mirror is told apart.
QImage cornerPicture() {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::gray);
    image.setPixelColor(0, 0, Qt::red);
    image.setPixelColor(3, 0, Qt::green);
    image.setPixelColor(0, 1, Qt::blue);
    image.setPixelColor(3, 1, Qt::yellow);
    return image;
}

// The picture turned upright by Qt's own image operations for each Exif orientation.
QImage upright(const QImage& stored, int orientation) {
    const QTransform clockwise = QTransform().rotate(90);
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.transformed(QTransform().rotate(180));
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return stored.mirrored(false, true).transformed(clockwise);
    case 6:
        return stored.transformed(clockwise);
    case 7:
        return stored.mirrored(true, false).transformed(clockwise);
    case 8:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

bool sameColour(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
           std::abs(a.blue() - b.blue()) <= 2;
}

class OrientationPaintTest : public ::testing::TestWithParam<int> {};

TEST_P(OrientationPaintTest, TurnedPictureFillsItsViewUpright) {
    const int orientation = GetParam();
    const QImage stored = cornerPicture();
    const QImage expected = upright(stored, orientation);
    constexpr int zoom = 50;

    VistrelView view;
    view.resize(expected.size() * zoom);
    view.setOrientation(orientation);
    view.setCiImage(std::make_shared<QtPicture>(stored));
    const QImage shot = view.grab().toImage();
    ASSERT_EQ(shot.size(), expected.size() * zoom);

    const int right = shot.width() - 1 - 5;
    const int bottom = shot.height() - 1 - 5;
    const QPoint shotCorners[] = {{5, 5}, {right, 5}, {5, bottom}, {right, bottom}};
    const QPoint pictureCorners[] = {{0, 0},
                                     {expected.width() - 1, 0},
                                     {0, expected.height() - 1},
                                     {expected.width() - 1, expected.height() - 1}};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(sameColour(shot.pixelColor(shotCorners[i]), expected.pixelColor(pictureCorners[i])))
            << "orientation " << orientation << ", corner " << i << ": "
            << shot.pixelColor(shotCorners[i]).name().toStdString() << " instead of "
            << expected.pixelColor(pictureCorners[i]).name().toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryExifOrientation, OrientationPaintTest,
                         ::testing::Values(1, 2, 3, 4, 5, 6, 7, 8, 0, 9));

class VistrelViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent.resize(800, 600);
        view = new VistrelView(&parent);
        view->setFrame(Rect{100.0f, 50.0f, 400.0f, 300.0f});
        view->setGeometryTarget(&geometry);
    }

    // Sends a mouse event at a point given in view coordinates (y up).
    void mouse(QEvent::Type type, float x, float y, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF local(x, view->height() - y);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, view->mapToGlobal(local), button, held, modifiers);
        QCoreApplication::sendEvent(view, &event);
    }

    void wheel(QPoint angleDelta, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::ScrollPhase phase = Qt::NoScrollPhase) {
        const QPointF local(50, 50);
        QWheelEvent event(local, view->mapToGlobal(local), QPoint(), angleDelta, Qt::NoButton, modifiers,
                          phase, false);
        QCoreApplication::sendEvent(view, &event);
    }

    // Before the view's parent: the view refers to it until it goes.
    RecordingGeometry::Log log;
    RecordingGeometry geometry{log};
    QWidget parent;
    VistrelView* view = nullptr;
};

TEST_F(VistrelViewTest, FrameIsGivenFromTheLowerLeftOfTheParent) {
    EXPECT_EQ(view->geometry(), QRect(100, 600 - 50 - 300, 400, 300));
    EXPECT_EQ(view->frame(), (Rect{100.0f, 50.0f, 400.0f, 300.0f}));

    parent.show();
    parent.resize(800, 700);
    EXPECT_EQ(view->geometry(), QRect(100, 700 - 50 - 300, 400, 300));
}

TEST_F(VistrelViewTest, PressInTheControlStripStartsNoDrag) {
    mouse(QEvent::MouseButtonPress, 100.0f, 31.9f);
    mouse(QEvent::MouseMove, 120.0f, 31.9f);
    mouse(QEvent::MouseMove, 140.0f, 31.9f);
    mouse(QEvent::MouseButtonRelease, 140.0f, 31.9f);
    EXPECT_EQ(log.calls(), 0u);
}

TEST_F(VistrelViewTest, PlainDragMovesByFractionsOfTheViewWithYUp) {
    mouse(QEvent::MouseButtonPress, 100.0f, 32.0f);
    mouse(QEvent::MouseMove, 100.0f, 40.0f);
    mouse(QEvent::MouseMove, 140.0f, 70.0f);
    mouse(QEvent::MouseButtonRelease, 140.0f, 70.0f);
    mouse(QEvent::MouseMove, 200.0f, 70.0f);

    ASSERT_EQ(log.positions.size(), 2u);
    EXPECT_EQ(log.positions[0], std::make_pair(0.0f, 0.0f));
    EXPECT_FLOAT_EQ(log.positions[1].first, 0.1f);
    EXPECT_FLOAT_EQ(log.positions[1].second, 0.1f);
}

TEST_F(VistrelViewTest, ShiftDragScalesAndPressAloneChangesNothing) {
    mouse(QEvent::MouseButtonPress, 100.0f, 100.0f);
    mouse(QEvent::MouseButtonRelease, 100.0f, 100.0f);
    EXPECT_EQ(log.calls(), 0u);

    mouse(QEvent::MouseButtonPress, 100.0f, 100.0f);
    mouse(QEvent::MouseMove, 100.0f, 100.0f, Qt::ShiftModifier);
    mouse(QEvent::MouseMove, 110.0f, 100.0f, Qt::ShiftModifier);
    ASSERT_EQ(log.scalesX.size(), 2u);
    EXPECT_FLOAT_EQ(log.scalesX[1], 1.025f);
    EXPECT_TRUE(log.positions.empty());
}

TEST_F(VistrelViewTest, WheelScalesOncePerEventAndAltStretchesVertically) {
    wheel(QPoint(0, 120));
    wheel(QPoint(0, -120), Qt::AltModifier);
    wheel(QPoint(0, 0), Qt::NoModifier, Qt::ScrollEnd); // a touchpad's closing event turns nothing

    ASSERT_EQ(log.scalesX.size(), 1u);
    EXPECT_EQ(log.scalesX[0], static_cast<float>(1.0 * 1.1));
    ASSERT_EQ(log.scalesY.size(), 1u);
    EXPECT_EQ(log.scalesY[0], static_cast<float>(2.0 * 0.9));
}

TEST_F(VistrelViewTest, SamePictureAgainChangesNothingAndOrientationSurvives) {
    auto picture = std::make_shared<QtPicture>(cornerPicture());
    view->setOrientation(6);
    view->setCiImage(picture);
    view->setCiImage(picture);
    EXPECT_EQ(view->ciImage(), picture);

    view->setMovie(nullptr);
    EXPECT_EQ(view->ciImage(), nullptr);
    EXPECT_EQ(view->orientation(), 6);
}

TEST_F(VistrelViewTest, MovieItCannotDrawIsRefusedAndThePictureStays) {
    auto picture = std::make_shared<QtPicture>(cornerPicture());
    view->setCiImage(picture);
    EXPECT_THROW(view->setMovie(std::make_shared<test::FakeMovie>()), std::runtime_error);
    EXPECT_EQ(view->ciImage(), picture);
    EXPECT_EQ(view->movie(), nullptr);
}

TEST_F(VistrelViewTest, GrowingPastTheDecodedResolutionDecodesMore) {
    QTemporaryDir dir;
    const QString path = dir.filePath("wide.png");
    QImage full(400, 200, QImage::Format_RGB32);
    full.fill(Qt::darkCyan);
    ASSERT_TRUE(full.save(path));
    auto picture = std::make_shared<QtPicture>(full.scaled(40, 20), full.size(), path.toStdString());
    QtBackgroundWork work(test::testExecutor());
    QtPictureService pictures;
    ItemLoader decodes(work, pictures);
    view->setPictureResolution(&decodes);
    auto shownWidth = [&] { return view->ciImage()->pixels()->image().width(); };

    view->setFrame(Rect{0.0f, 0.0f, 20.0f, 10.0f});
    view->setCiImage(picture);
    EXPECT_EQ(shownWidth(), 40);
    view->setFrame(Rect{0.0f, 0.0f, 200.0f, 100.0f});
    EXPECT_EQ(shownWidth(), 40) << "decoded on a worker; the view keeps what it has meanwhile";
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownWidth() >= 199; }));
    EXPECT_LE(shownWidth(), 400);
    EXPECT_EQ(picture->image().width(), 40) << "more resolution is a new picture";
    EXPECT_EQ(view->ciImage()->extent(), picture->extent());

    // A decode that finishes after its picture was replaced goes nowhere.
    auto next = std::make_shared<QtPicture>(full.scaled(40, 20), full.size(), path.toStdString());
    view->setCiImage(next);
    view->setFrame(Rect{0.0f, 0.0f, 20.0f, 10.0f});
    view->setFrame(Rect{0.0f, 0.0f, 200.0f, 100.0f});
    view->setCiImage(picture);
    ASSERT_TRUE(work.waitForIdle());
    EXPECT_EQ(view->ciImage(), picture);
    view->setPictureResolution(nullptr);
}

// Zoomed in, the view reaches far past the window: the window shows the right part of the
// picture, and a grab of the view still has the whole picture.
TEST_F(VistrelViewTest, ViewLargerThanItsWindowShowsTheRightPart) {
    view->setCiImage(std::make_shared<QtPicture>(cornerPicture()));
    view->setFrame(Rect{-800.0f, 0.0f, 1600.0f, 800.0f}); // picture pixels 400 wide and high
    ASSERT_EQ(view->geometry(), QRect(-800, -200, 1600, 800));

    // Sampled at the centres of the picture pixels, where smoothing mixes in nothing.
    const QImage window = parent.grab().toImage();
    const std::pair<QPoint, QColor> shown[] = {
        {{200, 2}, Qt::gray}, {{600, 2}, Qt::green}, {{200, 400}, Qt::gray}, {{600, 400}, Qt::yellow}};
    for (const auto& [point, colour] : shown)
        EXPECT_TRUE(sameColour(window.pixelColor(point), colour))
            << point.x() << "," << point.y() << ": " << window.pixelColor(point).name().toStdString();

    const QImage whole = view->grab().toImage();
    EXPECT_TRUE(sameColour(whole.pixelColor(100, 100), Qt::red));
    EXPECT_TRUE(sameColour(whole.pixelColor(100, 700), Qt::blue));
    EXPECT_TRUE(sameColour(whole.pixelColor(1500, 700), Qt::yellow));
}

TEST_F(VistrelViewTest, ControlBarFollowsTheMovieAndDrivesIt) {
    auto movie = std::make_shared<test::FakeMovie>();
    movie->durationValue = MovieTime{90000, 1000};
    movie->current = MovieTime{45000, 1000};
    movie->volumeValue = 128;
    MovieControlBar bar;
    bar.setMovie(movie.get());

    EXPECT_EQ(bar.timeText(), QStringLiteral("0:45 / 1:30"));
    EXPECT_EQ(bar.positionSlider()->value(), MovieControlBar::positionSteps / 2);
    EXPECT_EQ(bar.volumeSlider()->value(), 128);
    EXPECT_TRUE(movie->current == (MovieTime{45000, 1000})); // reading seeks nothing

    bar.playButton()->click();
    EXPECT_TRUE(movie->isPlaying());
    bar.playButton()->click();
    EXPECT_FALSE(movie->isPlaying());

    bar.positionSlider()->setValue(MovieControlBar::positionSteps / 10);
    EXPECT_EQ(movie->current.value, 9000);
    bar.volumeSlider()->setValue(64);
    EXPECT_EQ(movie->volumeValue, 64);
}

TEST_F(VistrelViewTest, ControlBarLiesInTheBottomStripWhenShown) {
    EXPECT_FALSE(view->isControllerVisible());
    view->setControllerVisible(true);
    EXPECT_TRUE(view->isControllerVisible());
    EXPECT_EQ(view->controlBar()->geometry(), QRect(0, 300 - 32, 400, 32));
}

// Under mpv's software renderer the movie shows in the view and every new frame repaints it.
TEST_F(VistrelViewTest, PlayingMovieIsDrawnAndRepaintedEvenWhenHandedOverTwice) {
    const auto sample = std::filesystem::path(VISTREL_SOURCE_DIR) / "samples/04-testcard.mp4";
    ModuleMovieService movies{test::testExecutor()};
    auto movie = test::openedMovie(movies, sample.string());
    ASSERT_NE(movie, nullptr);
    test::PaintCounter counter;
    view->installEventFilter(&counter);
    parent.show();
    view->setMovie(movie);
    view->setMovie(movie);
    view->setCiImage(nullptr); // the very picture held (none): keeps the movie
    ASSERT_EQ(view->movie(), movie);

    const QImage shot = view->grab().toImage();
    int lit = 0;
    for (int y = 0; y < shot.height(); y += 10)
        for (int x = 0; x < shot.width(); x += 10)
            lit += qGray(shot.pixel(x, y)) > 40 ? 1 : 0;
    EXPECT_GT(lit, 100);

    view->play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints >= 5; }, 20000)) << counter.paints << " paints";
    view->setCiImage(std::make_shared<QtPicture>(cornerPicture()));
    EXPECT_EQ(view->movie(), nullptr);
}

} // namespace
