#pragma once

#include "core/controller/Sender.h"
#include "core/events/Signal.h"

#include <string>

namespace vistrel {

class FilePanels;
class PreferenceTarget;
class UserDefaults;

// The values the settings window edits, one per control.
enum class PreferenceKey {
    transparency,
    scaleX,
    scaleY,
    posX,
    posY,
    deskMovie,
    sleep,
    imageCompression,
    prefTrans,
    imagePath,
};

// The settings window's logic. Every edit goes through a setter that applies it to
// the viewer at once, so the main window shows it while the user edits; only Ok
// (or closing the window) stores the values, Cancel goes back to what is stored and
// Reset to the factory values. Opacity, desk level, interval and JPEG quality are
// held here; scale and placement live in the viewer and are read from it. The
// placement is shown and stored in percent while the viewer works in fractions.
//
// The window learns of every change through `changed` and reads the getter of the
// key; it learns that it should go away through `closeWindow`.
class Preferences {
public:
    Preferences(UserDefaults& defaults, FilePanels& panels, PreferenceTarget& target);
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    float transparency() const { return m_transparency; }
    void setTransparency(float alpha);
    float scaleX() const;
    void setScaleX(float factor);
    float scaleY() const;
    void setScaleY(float factor);
    // Percent: 100 puts the item's edge on the screen's edge.
    float posX() const;
    void setPosX(float percent);
    float posY() const;
    void setPosY(float percent);
    bool deskMovie() const { return m_deskMovie; }
    void setDeskMovie(bool onDesktop);
    float sleep() const { return m_sleep; }
    void setSleep(float seconds);
    float imageCompression() const { return m_imageCompression; }
    void setImageCompression(float factor);
    // The settings window's own opacity; never stored.
    float prefTrans() const { return m_prefTrans; }
    void setPrefTrans(float alpha);
    // The frame folder as the window shows it.
    const std::string& pathField() const { return m_pathField; }

    // Reads the stored values the window edits; call before the window is built.
    void windowWillLoad();
    // Re-applies the stored values to the viewer; call once the window is built.
    void windowDidLoad();
    bool isWindowLoaded() const { return m_windowLoaded; }

    void Ok(Sender* sender = nullptr);
    void Cancel(Sender* sender = nullptr);
    void Reset(Sender* sender = nullptr);
    void SetImagePath(Sender* sender = nullptr);
    // The close box stores like Ok; the window may always close.
    bool windowShouldClose();

    Signal<PreferenceKey> changed;
    Signal<> closeWindow;

private:
    template <class Apply> void applyAndAnnounce(PreferenceKey key, Apply toTarget);
    void applyImagePath(const std::string& path);
    void close();

    UserDefaults& m_defaults;
    FilePanels& m_panels;
    PreferenceTarget& m_target;
    // Until the window is loaded these hold the factory values.
    float m_transparency = 1.0f;
    bool m_deskMovie = false;
    float m_prefTrans = 1.0f;
    float m_sleep = 5.0f;
    float m_imageCompression = 0.2f;
    std::string m_pathField;
    bool m_windowLoaded = false;
};

} // namespace vistrel
