#include "core/settings/Preferences.h"

#include "core/platform/FilePanels.h"
#include "core/settings/PreferenceTarget.h"
#include "core/settings/SettingsKeys.h"
#include "core/settings/UserDefaults.h"

namespace vistrel {

namespace {

constexpr const char* directoryPanelTitle = "Set Image Directory";

} // namespace

Preferences::Preferences(UserDefaults& defaults, FilePanels& panels, PreferenceTarget& target)
    : m_defaults(defaults), m_panels(panels), m_target(target) {}

// Every edit reaches the viewer at once, then the window hears of it.
template <class Apply> void Preferences::applyAndAnnounce(PreferenceKey key, Apply toTarget) {
    toTarget(m_target);
    changed.notify(key);
}

void Preferences::setTransparency(float alpha) {
    m_transparency = alpha;
    applyAndAnnounce(PreferenceKey::transparency,
                     [alpha](PreferenceTarget& target) { target.setTransparency(alpha); });
}

float Preferences::scaleX() const {
    return m_target.scaleX();
}

void Preferences::setScaleX(float factor) {
    applyAndAnnounce(PreferenceKey::scaleX, [factor](PreferenceTarget& target) { target.setScaleX(factor); });
}

float Preferences::scaleY() const {
    return m_target.scaleY();
}

void Preferences::setScaleY(float factor) {
    applyAndAnnounce(PreferenceKey::scaleY, [factor](PreferenceTarget& target) { target.setScaleY(factor); });
}

float Preferences::posX() const {
    return percentOfFraction(m_target.posX());
}

void Preferences::setPosX(float percent) {
    applyAndAnnounce(PreferenceKey::posX,
                     [percent](PreferenceTarget& target) { target.setPosX(fractionOfPercent(percent)); });
}

float Preferences::posY() const {
    return percentOfFraction(m_target.posY());
}

void Preferences::setPosY(float percent) {
    applyAndAnnounce(PreferenceKey::posY,
                     [percent](PreferenceTarget& target) { target.setPosY(fractionOfPercent(percent)); });
}

void Preferences::setDeskMovie(bool onDesktop) {
    m_deskMovie = onDesktop;
    applyAndAnnounce(PreferenceKey::deskMovie,
                     [onDesktop](PreferenceTarget& target) { target.setDeskMovie(onDesktop); });
}

void Preferences::setSleep(float seconds) {
    m_sleep = seconds;
    applyAndAnnounce(PreferenceKey::sleep, [seconds](PreferenceTarget& target) { target.setSleep(seconds); });
}

void Preferences::setImageCompression(float factor) {
    m_imageCompression = factor;
    applyAndAnnounce(PreferenceKey::imageCompression,
                     [factor](PreferenceTarget& target) { target.setImageCompression(factor); });
}

void Preferences::setPrefTrans(float alpha) {
    m_prefTrans = alpha;
    changed.notify(PreferenceKey::prefTrans);
}

// The field only exists once the window is loaded; the viewer takes the path either way.
void Preferences::applyImagePath(const std::string& path) {
    if (m_windowLoaded) {
        m_pathField = path;
        changed.notify(PreferenceKey::imagePath);
    }
    m_target.setImagePath(path);
}

void Preferences::windowWillLoad() {
    m_transparency = m_defaults.floatForKey(SettingsKeys::transparency);
    m_deskMovie = m_defaults.boolForKey(SettingsKeys::movieOnDesk);
    m_sleep = m_defaults.floatForKey(SettingsKeys::sleep);
    m_imageCompression = m_defaults.floatForKey(SettingsKeys::imageCompression);
}

// Opening the window puts back the stored values of what it holds itself, replacing
// whatever commands changed since start-up; scale and placement stay as they are.
void Preferences::windowDidLoad() {
    m_windowLoaded = true;
    setPrefTrans(1.0f);
    setTransparency(m_transparency);
    setDeskMovie(m_deskMovie);
    setSleep(m_sleep);
    setImageCompression(m_imageCompression);
    applyImagePath(m_defaults.stringForKey(SettingsKeys::imagePath));
}

// Every value already reached the viewer while it was edited: Ok only stores.
void Preferences::Ok(Sender*) {
    m_defaults.setFloat(SettingsKeys::transparency, m_transparency);
    m_defaults.setFloat(SettingsKeys::scaleX, scaleX());
    m_defaults.setFloat(SettingsKeys::scaleY, scaleY());
    m_defaults.setFloat(SettingsKeys::posX, posX());
    m_defaults.setFloat(SettingsKeys::posY, posY());
    m_defaults.setBool(SettingsKeys::movieOnDesk, m_deskMovie);
    m_defaults.setFloat(SettingsKeys::sleep, m_sleep);
    m_defaults.setString(SettingsKeys::imagePath, m_pathField);
    m_defaults.setFloat(SettingsKeys::imageCompression, m_imageCompression);
    close();
}

void Preferences::Cancel(Sender*) {
    setTransparency(m_defaults.floatForKey(SettingsKeys::transparency));
    setScaleX(m_defaults.floatForKey(SettingsKeys::scaleX));
    setScaleY(m_defaults.floatForKey(SettingsKeys::scaleY));
    setPosX(m_defaults.floatForKey(SettingsKeys::posX));
    setPosY(m_defaults.floatForKey(SettingsKeys::posY));
    setSleep(m_defaults.floatForKey(SettingsKeys::sleep));
    setDeskMovie(m_defaults.boolForKey(SettingsKeys::movieOnDesk));
    const std::string storedPath = m_defaults.stringForKey(SettingsKeys::imagePath);
    setImageCompression(m_defaults.floatForKey(SettingsKeys::imageCompression));
    applyImagePath(storedPath);
    close();
}

// The factory values, equal to the registered defaults. Nothing is stored and the
// window stays open: Ok keeps them, Cancel goes back to the stored values.
void Preferences::Reset(Sender*) {
    setTransparency(1.0f);
    setScaleX(1.0f);
    setScaleY(1.0f);
    setPosX(0.0f);
    setPosY(0.0f);
    setSleep(5.0f);
    setDeskMovie(false);
    applyImagePath(std::string());
    setImageCompression(0.2f);
}

void Preferences::SetImagePath(Sender*) {
    const auto chosen = m_panels.runDirectoryPanel(directoryPanelTitle);
    if (!chosen || chosen->empty())
        return;
    applyImagePath(*chosen);
}

bool Preferences::windowShouldClose() {
    Ok(nullptr);
    return true;
}

void Preferences::close() {
    closeWindow.notify();
}

} // namespace vistrel
