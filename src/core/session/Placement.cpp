#include "core/session/Placement.h"

#include "core/media/Movie.h"
#include "core/media/Picture.h"
#include "core/platform/MainWindow.h"
#include "core/session/ShownMovie.h"
#include "core/settings/SettingsKeys.h"
#include "core/settings/UserDefaults.h"
#include "core/view/OrientationTransform.h"
#include "core/view/PictureView.h"

namespace vistrel {

namespace {

constexpr double placementStep = 0.02;

double scaleFactor(int direction) {
    return direction > 0 ? growFactor : shrinkFactor;
}

} // namespace

Placement::Placement(const ShownMovie& movie, MainWindow& window, PictureView& view)
    : m_movie(movie), m_window(window), m_view(view) {}

void Placement::restore(const UserDefaults& defaults) {
    setTransparency(defaults.floatForKey(SettingsKeys::transparency));
    m_geometry.scaleX = defaults.floatForKey(SettingsKeys::scaleX);
    m_geometry.scaleY = defaults.floatForKey(SettingsKeys::scaleY);
    m_geometry.posX = fractionOfPercent(defaults.floatForKey(SettingsKeys::posX));
    m_geometry.posY = fractionOfPercent(defaults.floatForKey(SettingsKeys::posY));
}

void Placement::fillScreen() {
    const Size screen = m_window.screenSize();
    m_view.setFrame(Rect{0.0f, 0.0f, screen.width, screen.height});
    m_view.setFirstResponder(true);
}

// The natural size of the item on screen as it is displayed: a movie's own size, or
// the picture's turned by its orientation. Nothing on screen, or an item without a
// picture (a sound-only movie), leaves the view as it is.
void Placement::scale() {
    Size natural;
    if (const auto& movie = m_movie.get()) {
        natural = movie->naturalSize();
    } else {
        const auto picture = m_view.ciImage();
        if (!picture)
            return;
        natural = OrientationTransform::displayedSize(picture->extent(), m_view.orientation());
    }
    Rect frame;
    if (layoutItem(natural, m_window.screenSize(), m_geometry, frame))
        m_view.setFrame(frame);
}

void Placement::setScaleX(float value) {
    m_geometry.scaleX = value;
    scale();
}

void Placement::setScaleY(float value) {
    m_geometry.scaleY = value;
    scale();
}

void Placement::setPosX(float value) {
    m_geometry.posX = value;
    scale();
}

void Placement::setPosY(float value) {
    m_geometry.posY = value;
    scale();
}

void Placement::setPosXY(float x, float y) {
    m_geometry.posX = x;
    m_geometry.posY = y;
    scale();
}

void Placement::stepPosX(int direction) {
    setPosX(addStep(posX(), direction * placementStep));
}

void Placement::stepPosY(int direction) {
    setPosY(addStep(posY(), direction * placementStep));
}

void Placement::stepScaleX(int direction) {
    setScaleX(multiplyStep(scaleX(), scaleFactor(direction)));
}

void Placement::stepScaleY(int direction) {
    setScaleY(multiplyStep(scaleY(), scaleFactor(direction)));
}

void Placement::setTransparency(float alpha) {
    m_window.setOpacity(alpha);
}

void Placement::setDeskMovie(bool onDesktop) {
    m_window.setDesktopLevel(onDesktop);
}

} // namespace vistrel
