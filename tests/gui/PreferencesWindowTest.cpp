#include "AppTestFixture.h"
#include "app/QtDocumentOpener.h"
#include "core/settings/Preferences.h"
#include "settings/SliderSpinBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace vistrel::test {
namespace {

class PreferencesWindowTest : public AppTestFixture {
  protected:
    // Opens the settings window the way the user does, from the menu.
    QWidget* openSettings() {
        action("preferences")->trigger();
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("Preferences") && widget->isVisible())
                return widget;
        return nullptr;
    }

    template <class Control> Control* control(QWidget* window, const char* name) {
        return window->findChild<Control*>(QString::fromLatin1(name));
    }
};

TEST_F(PreferencesWindowTest, OpacityControlChangesTheMainWindowAtOnceAndOkStoresIt) {
    settings->strings["Transparency"] = "0.9";
    start();
    QWidget* prefs = openSettings();
    ASSERT_NE(prefs, nullptr);
    EXPECT_EQ(prefs->windowTitle(), "Settings");
    auto* opacity = control<SliderSpinBox>(prefs, "transparency");
    ASSERT_NE(opacity, nullptr);
    EXPECT_DOUBLE_EQ(opacity->value(), 0.9);

    QTest::keyClick(opacity->slider(), Qt::Key_PageDown);
    const double shown = opacity->value();
    EXPECT_LT(shown, 0.9);
    EXPECT_NEAR(window().windowOpacity(), shown, 0.01) << "applied while the window is open";
    EXPECT_EQ(settings->strings["Transparency"], "0.9") << "not stored before OK";

    QTest::mouseClick(control<QPushButton>(prefs, "Ok"), Qt::LeftButton);
    EXPECT_FALSE(prefs->isVisible());
    EXPECT_NEAR(std::stod(settings->strings["Transparency"]), shown, 1e-6);
}

TEST_F(PreferencesWindowTest, ResetShowsTheFactoryValuesAndCancelTheStoredOnes) {
    settings->strings = {{"PosX", "50"}, {"Sleep", "2.5"}, {"MovieOnDesk", "true"}, {"ImagePath", "/frames"}};
    start();
    QWidget* prefs = openSettings();
    ASSERT_NE(prefs, nullptr);
    auto* posX = control<SliderSpinBox>(prefs, "posX");
    EXPECT_DOUBLE_EQ(posX->value(), 50.0);
    EXPECT_EQ(posX->slider()->value(), 500);
    EXPECT_EQ(control<QLineEdit>(prefs, "pathField")->text(), "/frames");

    QTest::mouseClick(control<QPushButton>(prefs, "Reset"), Qt::LeftButton);
    EXPECT_TRUE(prefs->isVisible());
    EXPECT_DOUBLE_EQ(posX->value(), 0.0);
    EXPECT_EQ(posX->slider()->value(), 0);
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>(prefs, "sleep")->value(), 5.0);
    EXPECT_FALSE(control<QCheckBox>(prefs, "deskMovie")->isChecked());
    EXPECT_EQ(control<QLineEdit>(prefs, "pathField")->text(), "");
    EXPECT_EQ(controller().posX(), 0.0f);

    QTest::mouseClick(control<QPushButton>(prefs, "Cancel"), Qt::LeftButton);
    EXPECT_FALSE(prefs->isVisible());
    EXPECT_EQ(controller().posX(), 0.5f);
    EXPECT_TRUE(window().isDesktopLevel());

    // Shown again, the window is the same one and shows the values in effect.
    controller().movieMoveX(nullptr);
    EXPECT_EQ(openSettings(), prefs);
    EXPECT_DOUBLE_EQ(posX->value(), 52.0);
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>(prefs, "sleep")->value(), 2.5);
}

TEST_F(PreferencesWindowTest, ComingBackToTheWindowShowsZoomChangedMeanwhile) {
    start();
    QWidget* prefs = openSettings();
    ASSERT_NE(prefs, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(prefs));
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    controller().movieScale(nullptr);
    prefs->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(prefs));
    EXPECT_DOUBLE_EQ(control<SliderSpinBox>(prefs, "scaleX")->value(), 1.1);
}

TEST_F(PreferencesWindowTest, CloseBoxStoresAndTheWindowsOwnOpacityFollowsItsControl) {
    start();
    QWidget* prefs = openSettings();
    ASSERT_NE(prefs, nullptr);
    EXPECT_DOUBLE_EQ(prefs->windowOpacity(), 1.0);
    control<SliderSpinBox>(prefs, "prefTrans")->spinBox()->setValue(0.5);
    EXPECT_NEAR(prefs->windowOpacity(), 0.5, 0.01);

    control<QCheckBox>(prefs, "deskMovie")->click();
    EXPECT_TRUE(window().isDesktopLevel());
    prefs->close();
    EXPECT_FALSE(prefs->isVisible());
    EXPECT_EQ(settings->strings["MovieOnDesk"], "true");
    EXPECT_EQ(settings->strings.count("prefTrans"), 0u);
}

TEST_F(PreferencesWindowTest, HelpDocumentIsBuiltAsAPdfAndAMissingOneOpensNothing) {
    QFile pdf(QStringLiteral(VISTREL_HELP_PDF));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << VISTREL_HELP_PDF;
    EXPECT_EQ(pdf.read(4), QByteArray("%PDF"));
    EXPECT_GT(pdf.size(), 10000);

    start();
    action("showHelp")->trigger();
    ASSERT_EQ(opener->opened.size(), 1u);
    EXPECT_FALSE(opener->opened.front().has_value());
    EXPECT_TRUE(alerts->warnings.empty());

    EXPECT_FALSE(QtDocumentOpener().resourcePath("NoSuchHelp.pdf").has_value());
}

} // namespace
} // namespace vistrel::test
