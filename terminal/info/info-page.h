#pragma once
// The scale information page (9): the ten read commands, run on the line thread, and their rows
// inside sawc_parameters.
#include <QList>
#include <functional>

#include "cpp-wrapper-defines.h"
#include "parameter-rows.h"
#include "window-mode.h"

class QVBoxLayout;
class QWidget;

namespace Norvell::Balvex::CppWrapper {
class Driver;
}

namespace weighdesk {

class LineWorker;

class InfoPage {
public:
    // One failed read command, called once per failure in the order of the rows.
    using ShowError = std::function<void(Norvell::Balvex::CppWrapper::ErrorCase)>;
    // After a reading: true when the rows are filled, false when the line was lost (nothing more
    // was read and the page must not show).
    using Done = std::function<void(bool loaded)>;

    // root: the window's widget tree; throws std::logic_error when sawc_parameters is missing.
    // mode: where the rows' labels sit.
    InfoPage(QWidget* root, Norvell::Balvex::CppWrapper::Driver& driver, LineWorker& line, ShowError showError,
             look::WindowMode mode);
    ~InfoPage();
    InfoPage(const InfoPage&) = delete;
    InfoPage& operator=(const InfoPage&) = delete;

    // On entering the information page: reads the table on the line thread; back on this thread shows the
    // failures, fills the rows and calls done.
    void load(Done done);

    const QList<ParameterRow>& rows() const { return rows_; }

private:
    struct Reading;
    static Reading read(Norvell::Balvex::CppWrapper::Driver& driver);
    void fillRows();
    void clearRows();
    void addRow(const ParameterRow& row, bool odd, bool last);

    QWidget* container_;
    QVBoxLayout* layout_ = nullptr;
    Norvell::Balvex::CppWrapper::Driver& driver_;
    LineWorker& line_;
    ShowError showError_;
    look::WindowMode mode_;
    QList<ParameterRow> rows_;
};

}  // namespace weighdesk
