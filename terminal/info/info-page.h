#pragma once
// The scale information page (9): the ten read commands and their rows inside sawc_parameters.
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

// What belongs to the window.
struct InfoHooks {
    // One failed read command, called once per failure in the order of the rows.
    std::function<void(Norvell::Balvex::CppWrapper::ErrorCase)> showError;
    // Whether a failure means the line is gone; UnableToOpenSerialPort alone when unset.
    std::function<bool(Norvell::Balvex::CppWrapper::ErrorCase)> isConnectionLost;
    // The line is gone; nothing more is read and the page must not show.
    std::function<void()> connectionLost;
};

class InfoPage {
public:
    // root: the window's widget tree; throws std::logic_error when sawc_parameters is missing.
    // mode: where the rows' labels sit.
    InfoPage(QWidget* root, Norvell::Balvex::CppWrapper::Driver& driver, InfoHooks hooks, look::WindowMode mode);
    ~InfoPage();
    InfoPage(const InfoPage&) = delete;
    InfoPage& operator=(const InfoPage&) = delete;

    // On entering page 9: reads the table and fills the rows. False when the connection was
    // lost; the window then leaves page_info hidden.
    bool load();

    const QList<ParameterRow>& rows() const { return rows_; }

private:
    bool read(ScaleReadings& readings);
    bool lost(Norvell::Balvex::CppWrapper::ErrorCase ecase) const;
    void fillRows();
    void clearRows();
    void addRow(const ParameterRow& row, bool odd, bool last);

    QWidget* container_;
    QVBoxLayout* layout_ = nullptr;
    Norvell::Balvex::CppWrapper::Driver& driver_;
    InfoHooks hooks_;
    look::WindowMode mode_;
    QList<ParameterRow> rows_;
};

}  // namespace weighdesk
