#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "qt/QtMessageBoxNotifier.h"

namespace velmora {
namespace {

TEST(MessageBoxNotifierTest, ShowsTheTextUnderTheTitleWithOneOkButtonAndNoIcon) {
    int argc = 1;
    char name[] = "velmora_qt_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Information;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    QtMessageBoxNotifier().showNotice("最新のウィルス定義(2004/11/14 rev. 17)に更新済みです.");

    EXPECT_EQ(title, "Velmora");
    EXPECT_EQ(text.toStdString(), "最新のウィルス定義(2004/11/14 rev. 17)に更新済みです.");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, 1);
}

}  // namespace
}  // namespace velmora
