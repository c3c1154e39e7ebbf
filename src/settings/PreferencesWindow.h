#pragma once

#include "core/events/Signal.h"
#include "core/settings/Preferences.h"
#include "settings/SliderSpinBox.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QDoubleSpinBox;
class QFormLayout;
class QLineEdit;

namespace vistrel {

// The settings window ("Settings"): one control per setting, applied to the main
// window while the user edits. The logic is Preferences'; this window only turns
// control edits into its setters and its change events into what the controls show.
// The control the user is moving is never told its own value back.
class PreferencesWindow : public QWidget {
    Q_OBJECT

  public:
    explicit PreferencesWindow(Preferences& prefs, QWidget* parent = nullptr);
    ~PreferencesWindow() override;

    // Builds the window on its first showing (reading the stored values before, and
    // re-applying them after), then brings it to the front.
    static void showBuiltOnce(std::unique_ptr<PreferencesWindow>& window, Preferences* prefs);

    // Puts every value on display; scale and placement may have changed by commands
    // while the window was away.
    void showAllValues();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void addMainWindowRows(QFormLayout* form);
    void addPlacementRows(QFormLayout* form);
    void addSlideShowAndFramesRows(QFormLayout* form);
    QWidget* buildButtons();
    SliderSpinBox* addPair(const char* name, const SliderSpinBox::Range& range,
                           void (Preferences::*setter)(float));
    void showValue(PreferenceKey key);
    void showIn(SliderSpinBox* control, float value);
    // Runs one edit coming from `control`, which already shows its value.
    template <class Apply> void editFrom(QWidget* control, Apply apply);

    Preferences& m_prefs;
    SliderSpinBox* m_transparency = nullptr;
    SliderSpinBox* m_scaleX = nullptr;
    SliderSpinBox* m_scaleY = nullptr;
    SliderSpinBox* m_posX = nullptr;
    SliderSpinBox* m_posY = nullptr;
    SliderSpinBox* m_imageCompression = nullptr;
    SliderSpinBox* m_prefTrans = nullptr;
    QCheckBox* m_deskMovie = nullptr;
    QDoubleSpinBox* m_sleep = nullptr;
    QLineEdit* m_pathField = nullptr;
    QWidget* m_editing = nullptr;
    Connection m_changes;
    Connection m_closes;
};

} // namespace vistrel
