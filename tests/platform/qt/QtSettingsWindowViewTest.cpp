#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include "SettingsWindowViewContract.h"
#include "qt/QtSettingsWindowView.h"
#include "support/QtTestApplication.h"

namespace velmora::test {
namespace {

QString shownText(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        return frame->title();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    return {};
}

class QtSettingsWindowDriver final : public SettingsWindowViewDriver {
  public:
    explicit QtSettingsWindowDriver(SettingsWindow& window) : window_(window) {}

    QtSettingsWindowView& view() { return view_; }

    void open() override {
        window_.loadSettings();
        window_.setWindowState(WindowState::Normal);
        window_.setVisible(true);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view_));
    }
    bool windowShown() override { return view_.isVisible(); }
    int dotsPerInch() override { return kTwipsPerInch / kTwipsPerPixel; }
    PixelSize clientSize() override { return {view_.width(), view_.height()}; }

    void click(const Control& control) override {
        QTest::mouseClick(widget(control), Qt::LeftButton);
    }
    void focus(const Control& control) override { widget(control)->setFocus(); }
    const Control* focusedWidget() override {
        for (const Control* control : window_.allControls()) {
            if (widget(*control) == QApplication::focusWidget()) {
                return control;
            }
        }
        return nullptr;
    }
    void pressTab() override { press(Qt::Key_Tab); }
    void pressEnter() override { press(Qt::Key_Return); }
    void pressEsc() override { press(Qt::Key_Escape); }
    void pressAccessKey(char letter) override {
        press(static_cast<Qt::Key>(Qt::Key_A + (letter - 'A')), Qt::AltModifier);
    }
    void pressArrowUp() override { press(Qt::Key_Up); }
    void type(const std::string& text, HeldChord held) override {
        Qt::KeyboardModifiers modifiers;
        modifiers.setFlag(Qt::AltModifier, held.alt);
        modifiers.setFlag(Qt::ControlModifier, held.ctrl);
        modifiers.setFlag(Qt::MetaModifier, held.meta);
        // X11 reports AltGr as the group switch.
        modifiers.setFlag(Qt::GroupSwitchModifier, held.altGr);
        for (const char c : text) {
            QTest::keyClick(QApplication::focusWidget(), c, modifiers);
        }
    }
    void selectAllText() override { edit()->selectAll(); }
    void closeFromTitleBar() override {
        // As the window system delivers it: a spontaneous close event.
        QCloseEvent fromUser;
        QSpontaneKeyEvent::setSpontaneous(&fromUser);
        static_cast<QObject&>(view_).event(&fromUser);
        EXPECT_FALSE(fromUser.isAccepted());
    }
    void minimise() override {
        view_.showMinimized();
        QApplication::processEvents();
    }
    void dragThumbTo(int position) override {
        bar()->setSliderDown(true);
        bar()->setSliderPosition(position);
    }
    void releaseThumbAt(int position) override {
        bar()->setSliderPosition(position);
        bar()->setSliderDown(false);
    }

    std::string shownText(const Control& control) override {
        return test::shownText(widget(control)).toStdString();
    }
    bool shownEnabled(const Control& control) override { return widget(control)->isEnabled(); }
    bool shownChecked(const Control& control) override {
        return qobject_cast<QAbstractButton*>(widget(control))->isChecked();
    }
    int shownPosition(const Control& control) override {
        return qobject_cast<QScrollBar*>(widget(control))->value();
    }
    PixelRect placeOf(const Control& control) override {
        const QRect place = widget(control)->geometry();
        return {place.x(), place.y(), place.width(), place.height()};
    }

  private:
    QWidget* widget(const Control& control) { return view_.widgetFor(control); }
    QLineEdit* edit() { return qobject_cast<QLineEdit*>(widget(window_.intervalBox)); }
    QScrollBar* bar() { return qobject_cast<QScrollBar*>(widget(window_.intervalScrollBar)); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    QtTestApplication app_;
    SettingsWindow& window_;
    QtSettingsWindowView view_{static_cast<SettingsWindow&>(window_)};
};

INSTANTIATE_TEST_SUITE_P(Qt, SettingsWindowViewContract,
                         ::testing::Values(SettingsWindowViewMaker{
                             "Qt", [](SettingsWindow& window) {
                                 return std::make_unique<QtSettingsWindowDriver>(window);
                             }}));

TEST(QtSettingsWindowViewTest, TheProgramMayCloseTheWindowThatTheUserOnlyHides) {
    FakeSettings settings;
    SettingsWindow window{settings.settings};
    QtSettingsWindowDriver driver(window);
    driver.open();
    driver.closeFromTitleBar();
    EXPECT_FALSE(driver.windowShown());

    driver.open();
    EXPECT_TRUE(driver.view().close());
}

}  // namespace
}  // namespace velmora::test
