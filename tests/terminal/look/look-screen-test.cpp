// The look on the screen the test runs on: the window mode it picks and the window it makes.
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QScreen>
#include <QtTest>

#include "look-tree.h"
#include "look.h"

using namespace weighdesk::look;

class LookScreenTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowFollowsThePrimaryScreen() {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const WindowMode mode = primaryScreenMode();
        QCOMPARE(mode, windowModeFor(screen));
        const auto window = look_test::buildWindow();
        apply(*window, mode);
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(window->styleSheet(), styleSheet(mode));
        QVERIFY(!window->styleSheet().isEmpty());
        QVERIFY(window->findChild<QWidget*>("w_error_message")->isHidden());
        const auto* stable = window->findChild<QLabel*>("lbl_mark_stable");
        QCOMPARE(stable->pixmap().deviceIndependentSize().toSize(),
                 iconPixmap("stab", mode).deviceIndependentSize().toSize());

        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* background = window->findChild<QWidget*>("w_background");
        if (mode == WindowMode::Desktop) {
            QCOMPARE(window->geometry().size(), QSize(820, 620));
            QCOMPARE(window->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
            QVERIFY(qobject_cast<QGraphicsDropShadowEffect*>(background->graphicsEffect()));
            QCOMPARE(background->geometry(), QRect(10, 10, 800, 600));
            QVERIFY(window->findChild<QWidget*>("pb_minimize_loader")->isVisible());
        } else {
            QVERIFY(window->windowState().testFlag(Qt::WindowFullScreen));
            QCOMPARE(window->geometry().size(), screen);
            QCOMPARE(background->geometry(), QRect(QPoint(0, 0), screen));
            QVERIFY(window->findChild<QWidget*>("pb_minimize_loader")->isHidden());
        }
        const QRect stack = window->findChild<QWidget*>("sw_window_manager")->geometry();
        QCOMPARE(stack, mode == WindowMode::PortraitScreen ? QRect(0, 160, 1080, 1760) : QRect(0, 80, 800, 520));
    }
};

QTEST_MAIN(LookScreenTest)
#include "look-screen-test.moc"
