// The window library's entry: what weighdesk runs once its facade has passed the check.
#include "terminal-entry.h"

#include <QApplication>

#include "main-window.h"
#include "permanent.h"
#include "platform.h"

int weighdesk_run(int* argc, char** argv, const char* port) {
    Norvell::Balvex::CppWrapper::Driver::getInstanceLib();
    QApplication application(*argc, argv);
    weighdesk::platform::CloseWindowsOnTerminate(application);
    weighdesk::MainWindow window(port);
    window.show();
    return application.exec();
}
