#pragma once
// The terminal's only window: header, error strip and eleven pages. It owns the selected scale and
// decides which page shows; the pieces of work live in their own units and it switches between them.
// Every facade call that can wait on the scale runs on the line thread: meanwhile the page that
// waits is greyed and ignores its keys, and the window goes on answering.
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "connection-params.h"
#include "cpp-wrapper-defines.h"
#include "search-devices.h"
#include "window-mode.h"

class DeviceSearch;

namespace Ui {
class MainWindow;
}

namespace weighdesk {
class CalibrationPages;
class ErrorStrip;
class InfoPage;
class LineWorker;
class ScaleConnection;
class SearchPages;
class WeighingPage;
enum class SelectedState;
}  // namespace weighdesk

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // port: from the command line; empty when none was given.
    explicit MainWindow(const std::string& port, QWidget* parent = nullptr);
    // allPorts: where "every serial port" comes from (the system's list in the program).
    MainWindow(const std::string& port, SerialPortLister allPorts, QWidget* parent = nullptr);
    ~MainWindow() override;

    int currentPage() const { return currentPage_; }
    weighdesk::look::WindowMode windowMode() const { return mode_; }
    const std::optional<ConnectionParams>& selectedScale() const { return selected_; }
    weighdesk::ErrorStrip& errorStrip() { return *errors_; }

signals:
    void stop_search_devices_thread_done();

public slots:
    void pb_interface_clicked(const ConnectionParams& scale);
    void devices_search_finished(std::optional<QList<ConnectionParams>> found_devices);
    void gui_set_progress(int value);
    void on_pb_menu_clicked();
    void on_pb_minimize_clicked();
    void on_pb_exit_clicked();
    void on_pb_tare_clicked();
    void on_pb_zero_clicked();
    void on_pb_about_clicked();
    void on_pb_calibration_clicked();
    void on_pb_info_clicked();
    void on_pb_back_to_main_clicked();
    void on_pb_calibration_begin_clicked();
    void on_pb_calibration_weight_clicked();
    void on_pb_calibration_weight_cancel_clicked();
    void on_pb_calibration_zero_clicked();
    void on_pb_calibration_zero_cancel_clicked();
    void on_pb_calibration_finish_clicked();
    void on_pb_close_error_message_clicked();
    void on_pb_search_repeat_clicked();
    void on_pb_search_cancel_clicked();
    void on_pb_select_device_clicked();
    void on_pb_selected_check_clicked();
    void on_pb_selected_apply_clicked();
    void on_pb_selected_autosearch_clicked();
    void pb_1_clicked();
    void pb_2_clicked();
    void pb_3_clicked();
    void pb_4_clicked();
    void pb_5_clicked();
    void pb_6_clicked();
    void pb_7_clicked();
    void pb_8_clicked();
    void pb_9_clicked();
    void pb_00_clicked();
    void pb_0_clicked();
    void pb_erase_clicked();
    void on_pb_calibration_back_to_menu_clicked();
    void on_pb_info_back_to_menu_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildUnits(SerialPortLister allPorts);
    void buildPageUnits();
    void connectKeypads();
    void startWithPort(const QString& port);
    void startSearch(const QString& port);
    void enterPage(int page);
    // False when the page shows later (once filled) or not at all.
    bool enterPageOwnStep(int page);
    void showPage(int page);
    void loadInfoPage();
    void setSelectedState(weighdesk::SelectedState state);
    // The page that shows waits on the scale: greyed, its keys and the keyboard ignored.
    void setBusy(bool busy);
    using Connected = std::function<void(Norvell::Balvex::CppWrapper::ErrorCase, const ConnectionParams&)>;
    void connectScale(const ConnectionParams& scale, Connected done);
    // Connects the selected scale; on failure nothing stays selected.
    void connectSelected(std::function<void()> connected, std::function<void()> failed);
    void dropSelection();
    void foundByAutoSearch(const QList<ConnectionParams>& found);
    void handleLostConnection();
    void reconnect();
    void escapePressed();

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<weighdesk::LineWorker> line_;
    weighdesk::look::WindowMode mode_ = weighdesk::look::WindowMode::Desktop;
    weighdesk::ErrorStrip* errors_ = nullptr;
    weighdesk::SearchPages* searchPages_ = nullptr;
    weighdesk::WeighingPage* weighing_ = nullptr;
    DeviceSearch* search_ = nullptr;
    std::unique_ptr<weighdesk::ScaleConnection> connection_;
    weighdesk::CalibrationPages* calibration_ = nullptr;
    std::unique_ptr<weighdesk::InfoPage> info_;

    int currentPage_ = 0;
    std::optional<ConnectionParams> selected_;
    std::optional<ConnectionParams> checked_;
    QString portText_;
    QString heldPort_;                  // the port of the current search another program holds
    QString noScaleReason_;             // the close report's error when no scale is selected
    QTimer reconnectTimer_;
    QPointer<QWidget> busyPage_;
    bool busy_ = false;
    bool recovering_ = false;
    bool closing_ = false;
    bool reportPrinted_ = false;
    bool dragging_ = false;
    QPoint pressPosition_;
};
