#pragma once
// Shared pieces of the window suites: simulated scales on pty links, widgets by object name and the
// standard output of the close report.
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "error-strip.h"
#include "main-window.h"
#include "page.h"
#include "support/sim-process.h"
#include "support/temp-dir.h"

namespace windowtest {

using weighdesk::MainWindow;
using weighdesk::Page;

// The suites by the name "window_tests SUITE" runs them under.
std::map<std::string, std::function<std::unique_ptr<QObject>()>>& suites();
#define WINDOW_SUITE(Class, name)           \
    static const bool registered##Class = ( \
        windowtest::suites()[name] = [] { return std::make_unique<Class>(); }, true)

// One simulated scale whose pty is reached through a stable link in a private folder.
class SimScale {
public:
    explicit SimScale(const std::vector<std::string>& options);
    bool started() const { return sim_->started(); }
    QString link() const { return QString::fromStdString(link_); }
    // One control line; true when answered "ok".
    bool control(const std::string& line) { return sim_->Send(line) == "ok"; }
    std::string setting(const std::string& key) { return sim_->Setting(key); }
    // Ends the simulator: the link points nowhere afterwards.
    void quit() { sim_.reset(); }

private:
    testsupport::TempDir dir_;
    std::string link_;
    std::unique_ptr<testsupport::SimProcess> sim_;
};

// A stable POS scale; none when the simulator did not start.
std::unique_ptr<SimScale> stablePosScale();
// The window started on the scale's port, shown, with no other serial port listed.
std::unique_ptr<weighdesk::MainWindow> showOnPort(const SimScale& scale);

template <typename T = QWidget>
T* widget(QWidget& window, const QString& name) {
    return window.findChild<T*>(name);
}

inline QString labelText(QWidget& window, const QString& name) {
    const QLabel* label = widget<QLabel>(window, name);
    return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
}

inline bool shows(QWidget& window, const QString& name) {
    const QWidget* found = widget(window, name);
    return found != nullptr && !found->isHidden();
}

// A suite's scale and window; open() replaces those of the case before.
class WindowSuite : public QObject {
protected:
    // A stable POS scale and the window started on its port; false when either failed.
    bool open(bool toMainPage = true);
    std::unique_ptr<SimScale> sim_;
    std::unique_ptr<MainWindow> window_;
};

// The page that sw_window_manager shows.
weighdesk::Page page(QWidget& window);
// Clicks the button of that object name; a missing button fails the test.
void click(QWidget& window, const QString& name);

// Redirects the process's standard output into a file for the life of the object.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    // What was written so far.
    QByteArray text();

private:
    testsupport::TempDir dir_;
    int saved_ = -1;
};

// Closes the window and waits for what it prints once the scale is restored: the close report.
QByteArray closeAndReport(QWidget& window);

}  // namespace windowtest
