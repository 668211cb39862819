// The window suites in one program: "window_tests SUITE [Qt Test options]" runs one of them.
// Every run gets a private app-data root and an offscreen desktop screen (window mode 2).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <cstdlib>

#include "support/temp-dir.h"
#include "window-test-support.h"

namespace {

void prepareEnvironment(const testsupport::TempDir& root) {
    const QString config = QDir(QString::fromStdString(root.path().string())).filePath("screen.json");
    QFile file(config);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,
                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    }
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8().constData(), 1);
    ::setenv("APPDATA", (root.path() / "appdata").c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    testsupport::TempDir root;
    prepareEnvironment(root);
    QApplication app(argc, argv);
    const std::string wanted = argc > 1 ? argv[1] : "";
    int failures = 0;
    for (const auto& [name, make] : windowtest::suites()) {
        if (!wanted.empty() && wanted != name) continue;
        const auto suite = make();
        failures += QTest::qExec(suite.get(), wanted.empty() ? 1 : argc - 1, wanted.empty() ? argv : argv + 1);
    }
    return failures == 0 ? 0 : 1;
}
