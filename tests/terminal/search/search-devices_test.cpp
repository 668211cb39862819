// The device search on its thread, through the real facade and driver, over scale-sim ptys.
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <memory>

#include "device-search.h"
#include "scale-text.h"
#include "support/sim-process.h"

using weighdesk::ConnectionParams;
using weighdesk::DeviceSearch;
using weighdesk::SearchDevices;

namespace {

using testsupport::SimProcess;
using FoundList = std::optional<QList<ConnectionParams>>;

constexpr int kSearchTimeoutMs = 60000;

QString PortOf(const SimProcess& sim) {
    return QString::fromStdString(sim.endpoint());
}

// One search over the given ports as "every port of the system", with what it reported.
struct SearchRun {
    explicit SearchRun(QStringList ports) : search([ports] { return ports; }) {
        QObject::connect(&search, &DeviceSearch::set_progress_value, [this](int value) { progress << value; });
        QObject::connect(&search, &DeviceSearch::devices_search_finished, [this](FoundList found) {
            result = found;
            finished = true;
        });
        search.start(QString());
    }
    bool Wait() {
        return QTest::qWaitFor([this] { return finished; }, kSearchTimeoutMs);
    }

    DeviceSearch search;
    QList<int> progress;
    FoundList result;
    bool finished = false;
};

TEST(SearchDevices, OneScaleIsDescribedFully) {
    SimProcess sim({"--pty", "--protocol", "pos"});
    sim.Control({"set sern 20231234", "set div 3"});
    SearchRun run({PortOf(sim)});
    ASSERT_TRUE(run.Wait());
    ASSERT_TRUE(run.result.has_value());
    ASSERT_EQ(run.result->size(), 1);
    const ConnectionParams& scale = run.result->first();
    EXPECT_EQ(scale.port, PortOf(sim));
    EXPECT_EQ(scale.protocol, QStringLiteral("POS2KProV1"));
    EXPECT_EQ(scale.serialNumber, QStringLiteral("20231234"));
    EXPECT_EQ(scale.maxWeight, std::stoi(sim.Setting("max")));
    EXPECT_EQ(scale.division, QStringLiteral("10"));
    EXPECT_EQ(scale.reportedModel, QStringLiteral("K-ZA A7-15.10 III(средний)"));
    EXPECT_EQ(scale.model, QStringLiteral("K-ZA A7"));
    EXPECT_EQ(run.progress, (QList<int>{9, 18, 27, 36, 45, 54, 63, 72, 81, 90}));
}

TEST(SearchDevices, KeepsOnlyProScalesAndSkipsSilentPorts) {
    SimProcess pos({"--pty", "--protocol", "pos"});
    SimProcess plain({"--pty", "--protocol", "pos", "--plain"});
    SimProcess silent({"--pty", "--protocol", "pos"});
    SimProcess cas({"--pty", "--protocol", "cas"});
    silent.Control({"silent 1"});
    SearchRun run({PortOf(pos), PortOf(plain), PortOf(silent), PortOf(cas)});
    ASSERT_TRUE(run.Wait());
    ASSERT_TRUE(run.result.has_value());
    ASSERT_EQ(run.result->size(), 2);
    EXPECT_EQ(run.result->at(0).port, PortOf(pos));
    EXPECT_EQ(run.result->at(0).protocol, QStringLiteral("POS2KProV1"));
    EXPECT_EQ(run.result->at(1).port, PortOf(cas));
    EXPECT_EQ(run.result->at(1).protocol, QStringLiteral("CAS-K ProV1"));
    EXPECT_EQ(run.progress.last(), 90);
}

TEST(SearchDevices, NoPortsGiveAnEmptyListAtOnce) {
    SearchRun run({});
    ASSERT_TRUE(run.Wait());
    ASSERT_TRUE(run.result.has_value());
    EXPECT_TRUE(run.result->isEmpty());
    EXPECT_TRUE(run.progress.isEmpty());
}

TEST(SearchDevices, CancelWaitsForTheCurrentPortAndReportsNoValue) {
    SimProcess silent({"--pty", "--protocol", "pos"});
    SimProcess pos({"--pty", "--protocol", "pos"});
    silent.Control({"silent 1"});
    SearchRun run({PortOf(silent), PortOf(pos)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !run.progress.isEmpty(); }, kSearchTimeoutMs));
    run.search.cancel();
    EXPECT_FALSE(run.search.isRunning());
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(run.result.has_value());
    // The silent port's check ran to its end (step 10 of 20); the next port was never tried.
    EXPECT_EQ(run.progress.last(), 45);
}

// A facade call that fails inside a check ends the search; the scales found before still go out.
TEST(SearchDevices, FailedCallEndsTheSearchWithTheScalesFoundSoFar) {
    SimProcess first({"--pty", "--protocol", "pos"});
    SimProcess failing({"--pty", "--protocol", "pos"});
    SimProcess never({"--pty", "--protocol", "pos"});
    QThread thread;
    SearchDevices worker([&] { return QStringList{PortOf(first), PortOf(failing), PortOf(never)}; });
    worker.moveToThread(&thread);
    QList<int> progress;
    // Runs on the search thread: the second port goes silent right after it opened (step 13 of 3 each).
    QObject::connect(
        &worker, &SearchDevices::set_progress_value, &worker,
        [&](int value) {
            progress << value;
            if (value == 39) failing.Send("silent 1");
        },
        Qt::DirectConnection);
    FoundList result;
    bool finished = false;
    QObject::connect(&worker, &SearchDevices::devices_search_finished, &thread, [&](FoundList found) {
        result = found;
        finished = true;
    });
    QObject::connect(&thread, &QThread::started, &worker, [&] { worker.search({}); });
    thread.start();
    const bool ended = QTest::qWaitFor([&] { return finished; }, kSearchTimeoutMs);
    thread.quit();
    thread.wait();
    ASSERT_TRUE(ended);
    ASSERT_TRUE(result.has_value());
    ASSERT_EQ(result->size(), 1);
    EXPECT_EQ(result->first().port, PortOf(first));
    EXPECT_EQ(progress.last(), 60);
}

}  // namespace
