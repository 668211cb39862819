// weighdesk without libdriver.so beside it: the facade cannot bind the driver, yet the window opens,
// runs and, closed, still reports.
#include <csignal>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <filesystem>
#include <memory>

#include "support/child-process.h"
#include "support/temp-dir.h"

class UnboundDriverTest : public QObject {
    Q_OBJECT
private slots:
    void windowOpensWithoutTheDriver() {
        testsupport::TempDir folder;
        namespace fs = std::filesystem;
        const fs::path program(WEIGHDESK_PATH);
        for (const char* file : {"weighdesk", "libpermanent.so", "libweighdesk-window.so"}) {
            fs::copy_file(program.parent_path() / file, folder.path() / file);
        }
        testsupport::ChildProcess weighdesk({(folder.path() / "weighdesk").string(), "--port", "/dev/null/none"},
                                            {{"QT_QPA_PLATFORM", "offscreen"},
                                             {"APPDATA", folder.path().string()},
                                             {"LD_LIBRARY_PATH", folder.path().string()}});
        QVERIFY(weighdesk.started());
        QTest::qWait(3000);  // long enough to have failed, had it failed
        weighdesk.Signal(SIGTERM);
        const testsupport::ProcessResult result = weighdesk.Finish(std::chrono::seconds(10));
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.find("libdriver.so") != std::string::npos, result.err.c_str());
        const QJsonObject report = QJsonDocument::fromJson(QByteArray::fromStdString(result.out)).object();
        QCOMPARE(report.value("error").toString(), QStringLiteral("Весы не обнаружены"));
    }
};

std::unique_ptr<QObject> makeUnboundDriverTest() {
    return std::make_unique<UnboundDriverTest>();
}

#include "unbound_driver_test.moc"
