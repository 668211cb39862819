// The JSON every client of the service receives: exact weights, and no weight unless it is current.
#include <gtest/gtest.h>

#include "snapshot-json.h"

namespace ponderixd {
namespace {

TEST(SnapshotJson, WeightsAreExactDecimalsWithTheScalesDigits) {
    EXPECT_EQ(DecimalJson(1234, 3), "1.234");
    EXPECT_EQ(DecimalJson(5, 3), "0.005");
    EXPECT_EQ(DecimalJson(-5, 3), "-0.005");
    EXPECT_EQ(DecimalJson(1200, 0), "1200");
    EXPECT_EQ(DecimalJson(0, 2), "0.00");
    EXPECT_EQ(DecimalJson(INT64_MIN, 3), "-9223372036854775.808");
    EXPECT_EQ(DecimalJson(1, -1), "null");
}

TEST(SnapshotJson, OnlyAnOnlineScaleHasAWeight) {
    ScaleSnapshot snapshot;
    snapshot.state = LineState::Online;
    snapshot.reading = ScaleReading{};
    snapshot.reading->value = pdx_reading{1234, 125, 3, PDX_KILOGRAM, 1, 1, 0, 0};
    snapshot.reading->takenAt = std::chrono::system_clock::time_point(std::chrono::milliseconds(1767225600007));
    EXPECT_EQ(ReadingJson(snapshot),
              R"({"current":true,"state":"online","net":1.234,"tare":0.125,"unit":"kg",)"
              R"("stable":true,"zero":false,"overload":false,"taken_at":"2026-01-01T00:00:00.007Z"})");

    snapshot.reading->value.overload = 1;
    snapshot.reading->value.has_tare = 0;
    EXPECT_NE(ReadingJson(snapshot).find(R"("net":null,"tare":null)"), std::string::npos);

    snapshot.state = LineState::Silent;  // a poller that kept the last reading must still not show it
    EXPECT_EQ(ReadingJson(snapshot), R"({"current":false,"state":"silent"})");
}

TEST(SnapshotJson, ErrorsCarryNameAndBothDescriptions) {
    const auto json = ErrorJson(PDX_UNABLE_TO_OPEN_SERIAL_PORT);
    EXPECT_EQ(json.rfind(R"({"code":5,"name":"UnableToOpenSerialPort","description":")", 0), 0u) << json;
    EXPECT_NE(json.find(R"("description_ru":")"), std::string::npos);

    ScaleSnapshot snapshot;
    snapshot.lastError = ScaleError{PDX_TIMEOUT, {}};
    EXPECT_EQ(StateJson(snapshot).rfind(R"({"state":"opening","last_error":{"code":7,"name":"BoostTimeOut")", 0), 0u);
}

}  // namespace
}  // namespace ponderixd
