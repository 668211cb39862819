#pragma once
// The terminal's only window: header, error strip and eleven pages. It owns the selected scale and
// decides which page shows; the pieces of work live in their own units and it switches between them.
// Every facade call that can wait on the scale runs on the line thread: meanwhile the page that
// waits is greyed and ignores its keys, and the window goes on answering.
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "connection-params.h"
#include "cpp-wrapper-defines.h"
#include "page.h"
#include "search-devices.h"
#include "window-mode.h"

namespace Ui {
class MainWindow;
}

namespace weighdesk {

class CalibrationPages;
class DeviceSearch;
class ErrorStrip;
class InfoPage;
class LineWorker;
class ScaleConnection;
class SearchPages;
class WeighingPage;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // port: from the command line; empty when none was given.
    explicit MainWindow(const std::string& port, QWidget* parent = nullptr);
    // allPorts: where "every serial port" comes from (the system's list in the program).
    MainWindow(const std::string& port, SerialPortLister allPorts, QWidget* parent = nullptr);
    ~MainWindow() override;

    Page currentPage() const { return currentPage_; }
    look::WindowMode windowMode() const { return mode_; }
    const std::optional<ConnectionParams>& selectedScale() const { return selected_; }
    ErrorStrip& errorStrip() { return *errors_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildUnits(SerialPortLister allPorts);
    void buildPageUnits();
    void connectKeys();
    void startWithPort(const QString& port);
    void enterPage(Page page);
    // False when the page shows later (once filled) or not at all.
    bool enterPageOwnStep(Page page);
    void showPage(Page page);
    void loadInfoPage();
    // The page that shows waits on the scale: greyed, its keys and the keyboard ignored.
    void setBusy(bool busy);
    // Connects the selected scale; on failure nothing stays selected.
    void connectSelected(std::function<void()> connected, std::function<void()> failed);
    void dropSelection();
    void searchFinished(std::optional<QList<ConnectionParams>> found);
    void foundByAutoSearch(const QList<ConnectionParams>& found);
    void cancelSearch();
    void handleLostConnection();
    void reconnected(const ConnectionParams& scale);
    void reconnectFailed();
    void escapePressed();

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<LineWorker> line_;
    look::WindowMode mode_ = look::WindowMode::Desktop;
    ErrorStrip* errors_ = nullptr;
    DeviceSearch* search_ = nullptr;
    SearchPages* searchPages_ = nullptr;
    WeighingPage* weighing_ = nullptr;
    ScaleConnection* connection_ = nullptr;
    CalibrationPages* calibration_ = nullptr;
    std::unique_ptr<InfoPage> info_;

    Page currentPage_ = Page::Loader;
    std::optional<ConnectionParams> selected_;
    QPointer<QWidget> busyPage_;
    bool busy_ = false;
    bool recovering_ = false;
    bool closing_ = false;
    bool reportPrinted_ = false;
    bool dragging_ = false;
    QPoint pressPosition_;
};

}  // namespace weighdesk
