// The device search on its thread, through the real facade and driver, over scale-sim ptys; the
// model shortening and division table it describes scales with.
#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <algorithm>
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

// A Pro scale is described fully; plain and silent ports are skipped; the bar moves with every
// port, ten steps each, and stays below 100 until the finish.
TEST(SearchDevices, DescribesProScalesAndSkipsTheRest) {
    SimProcess pos({"--pty", "--protocol", "pos"});
    SimProcess plain({"--pty", "--protocol", "pos", "--plain"});
    SimProcess silent({"--pty", "--protocol", "pos"});
    SimProcess cas({"--pty", "--protocol", "cas"});
    pos.Control({"set sern 20231234", "set div 3"});
    silent.Control({"silent 1"});
    SearchRun run({PortOf(pos), PortOf(plain), PortOf(silent), PortOf(cas)});
    ASSERT_TRUE(run.Wait());
    ASSERT_TRUE(run.result.has_value());
    ASSERT_EQ(run.result->size(), 2);
    const ConnectionParams& scale = run.result->first();
    EXPECT_EQ(scale.port, PortOf(pos));
    EXPECT_EQ(scale.protocol, QStringLiteral("POS2KProV1"));
    EXPECT_EQ(scale.serialNumber, QStringLiteral("20231234"));
    EXPECT_EQ(scale.maxWeight, std::stoi(pos.Setting("max")));
    EXPECT_EQ(scale.division, QStringLiteral("10"));
    EXPECT_EQ(scale.reportedModel, QStringLiteral("K-ZA A7-15.10 III(средний)"));
    EXPECT_EQ(scale.model, QStringLiteral("K-ZA A7"));
    EXPECT_EQ(run.result->at(1).port, PortOf(cas));
    EXPECT_EQ(run.result->at(1).protocol, QStringLiteral("CAS-K ProV1"));
    const QList<int> firstPort = run.progress.mid(0, 10);
    EXPECT_EQ(firstPort, (QList<int>{2, 4, 6, 9, 11, 13, 15, 18, 20, 22}));
    EXPECT_TRUE(std::is_sorted(run.progress.begin(), run.progress.end()));
    EXPECT_EQ(run.progress.last(), 90);
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

// An input text and the text it gives.
using TextCase = std::pair<const char*, const char*>;

TEST(ScaleText, ModelKeepsFirstWordAndMiddleUpToTheDash) {
    for (const auto& [model, shortened] :
         {TextCase{"A B-C D", "A B"}, TextCase{"A", "A "}, TextCase{"A D", "A "}, TextCase{"ВП 15-2.5 III", "ВП 15"},
          TextCase{"A B C-D E", "A B C"}, TextCase{"A B-C-D E", "A B"}, TextCase{"A BC D", "A BC"},
          TextCase{"", " "}}) {
        EXPECT_EQ(weighdesk::shortenModel(QString::fromUtf8(model)).toStdString(), shortened) << model;
    }
}

TEST(ScaleText, DivisionCodeGivesTheIntervalInGrams) {
    for (const auto& [code, grams] : {TextCase{"0", "1"}, TextCase{"1", "2"}, TextCase{"2", "5"}, TextCase{"3", "10"},
                                      TextCase{"4", "20"}, TextCase{"5", "50"}, TextCase{"6", ""}, TextCase{"-1", ""},
                                      TextCase{"", ""}, TextCase{"03", ""}, TextCase{"x", ""}}) {
        EXPECT_EQ(weighdesk::divisionFromCode(QString::fromUtf8(code)).toStdString(), grams) << code;
    }
}

}  // namespace
