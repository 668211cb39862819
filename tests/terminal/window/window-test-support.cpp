#include "window-test-support.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStackedWidget>
#include <cstdio>

using weighdesk::MainWindow;

namespace windowtest {

std::map<std::string, std::function<std::unique_ptr<QObject>()>>& suites() {
    static std::map<std::string, std::function<std::unique_ptr<QObject>()>> all;
    return all;
}

SimScale::SimScale(const std::vector<std::string>& options) : link_((dir_.path() / "scale").string()) {
    std::vector<std::string> args = {"--pty", "--link", link_};
    args.insert(args.end(), options.begin(), options.end());
    sim_ = std::make_unique<testsupport::SimProcess>(args);
}

std::unique_ptr<SimScale> stablePosScale() {
    auto scale = std::make_unique<SimScale>(std::vector<std::string>{"--protocol", "pos"});
    if (!scale->started() || !scale->control("stable 1")) return nullptr;
    return scale;
}

std::unique_ptr<MainWindow> showOnPort(const SimScale& scale) {
    auto window = std::make_unique<MainWindow>(scale.link().toStdString(), [] { return QStringList(); });
    window->show();
    return window;
}

bool WindowSuite::open(bool toMainPage) {
    window_.reset();
    sim_ = stablePosScale();
    if (!sim_) return false;
    window_ = showOnPort(*sim_);
    return !toMainPage || QTest::qWaitFor([this] { return page(*window_) == Page::Main; }, 15000);
}

weighdesk::Page page(QWidget& window) {
    const auto* pages = widget<QStackedWidget>(window, "sw_window_manager");
    return static_cast<weighdesk::Page>(pages != nullptr ? pages->currentIndex() : -1);
}

void click(QWidget& window, const QString& name) {
    QPushButton* button = widget<QPushButton>(window, name);
    QVERIFY2(button != nullptr, qPrintable(name));
    button->click();
}

StdoutCapture::StdoutCapture() {
    std::fflush(stdout);
    saved_ = ::dup(STDOUT_FILENO);
    const int file = ::open((dir_.path() / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, STDOUT_FILENO);
    ::close(file);
}

StdoutCapture::~StdoutCapture() {
    std::fflush(stdout);
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
}

QByteArray StdoutCapture::text() {
    std::fflush(stdout);
    QFile file(QString::fromStdString((dir_.path() / "stdout").string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray closeAndReport(QWidget& window) {
    StdoutCapture out;
    window.close();
    if (!QTest::qWaitFor([&] { return !out.text().isEmpty(); }, 15000)) qWarning("the window printed no report");
    return out.text();
}

}  // namespace windowtest
