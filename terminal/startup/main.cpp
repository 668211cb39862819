// weighdesk: checks the facade library, creates the facade, then runs the main window.
#include <QApplication>
#include <string>
#include <vector>

#include "facade-hash.h"
#include "main-window.h"
#include "permanent.h"
#include "platform.h"
#include "port-argument.h"
#include "startup-check.h"

int main(int argc, char* argv[]) {
    switch (weighdesk::CheckFacadeLibrary(weighdesk::kFacadeSha256)) {
        case weighdesk::StartupCheck::LibraryNotLoadable:
            return 1;
        case weighdesk::StartupCheck::IntegrityFailed:
            weighdesk::PrintIntegrityError();
            return 0;
        case weighdesk::StartupCheck::Passed:
            break;
    }
    Norvell::Balvex::CppWrapper::Driver::getInstanceLib();
    // The port is read from the command line as given, before Qt takes its own options out.
    const std::string port = weighdesk::PortFromArguments(std::vector<std::string>(argv, argv + argc));
    QApplication application(argc, argv);
    weighdesk::platform::CloseWindowsOnTerminate(application);
    MainWindow window(port);
    window.show();
    return application.exec();
}
