#include "snapshot-json.h"

#include <json-line.h>

#include <cstdio>
#include <ctime>

namespace ponderixd {
namespace {

using jsonline::JsonLine;

std::optional<std::string> Told(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text;
}

const char* UnitName(std::int32_t unit) {
    switch (unit) {
        case PDX_GRAM:
            return "g";
        case PDX_POUND:
            return "lb";
        default:
            return "kg";
    }
}

std::string ErrorText(std::int32_t code, std::int32_t language) {
    char text[PDX_TEXT_SIZE] = "";
    pdx_error_description(code, language, text, sizeof text, nullptr);
    return text;
}

JsonLine ErrorFields(std::int32_t code) {
    char name[PDX_TEXT_SIZE] = "";
    pdx_error_name(code, name, sizeof name, nullptr);
    JsonLine json;
    json.Integer("code", code)
        .Text("name", name)
        .Text("description", ErrorText(code, PDX_ENGLISH))
        .Text("description_ru", ErrorText(code, PDX_RUSSIAN));
    return json;
}

}  // namespace

std::string DecimalJson(std::int64_t value, std::int32_t decimals) {
    // A scale reports at most a few decimals; anything outside is a broken reading, not a format.
    if (decimals < 0 || decimals > 18) return "null";
    const bool negative = value < 0;
    // Through unsigned so the most negative value has a magnitude too.
    const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    const auto places = static_cast<std::size_t>(decimals);
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    if (places > 0) digits.insert(digits.size() - places, 1, '.');
    return negative ? "-" + digits : digits;
}

std::string IsoTime(std::chrono::system_clock::time_point at) {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(at.time_since_epoch()).count();
    auto seconds = static_cast<std::time_t>(sinceEpoch / 1000);
    auto millis = static_cast<int>(sinceEpoch % 1000);
    if (millis < 0) {
        millis += 1000;
        seconds -= 1;
    }
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, millis);
    return text;
}

std::string IdentityJson(const ScaleIdentity& identity) {
    JsonLine json;
    json.Text("id", identity.id)
        .TextOrNull("name", Told(identity.name))
        .Text("end_point", identity.endPoint)
        .TextOrNull("protocol", Told(identity.protocol))
        .TextOrNull("model", Told(identity.model))
        .TextOrNull("serial_number", Told(identity.serialNumber))
        .TextOrNull("firmware", Told(identity.firmware));
    if (identity.calibrationCount) {
        json.Integer("calibration_count", *identity.calibrationCount);
    } else {
        json.Null("calibration_count");
    }
    return json.str();
}

std::string StateJson(const ScaleSnapshot& snapshot) {
    JsonLine json;
    json.Text("state", LineStateName(snapshot.state));
    if (snapshot.lastError) {
        json.Object("last_error", ErrorFields(snapshot.lastError->code).Text("at", IsoTime(snapshot.lastError->at)));
    } else {
        json.Null("last_error");
    }
    return json.str();
}

std::string ReadingJson(const ScaleSnapshot& snapshot) {
    JsonLine json;
    const bool current = snapshot.state == LineState::Online && snapshot.reading;
    json.Bool("current", current).Text("state", LineStateName(snapshot.state));
    if (!current) return json.str();
    const pdx_reading& r = snapshot.reading->value;
    json.Json("net", r.overload ? "null" : DecimalJson(r.net, r.decimals))
        .Json("tare", r.has_tare ? DecimalJson(r.tare, r.decimals) : "null")
        .Text("unit", UnitName(r.unit))
        .Bool("stable", r.stable != 0)
        .Bool("zero", r.zero != 0)
        .Bool("overload", r.overload != 0)
        .Text("taken_at", IsoTime(snapshot.reading->takenAt));
    return json.str();
}

std::string ErrorJson(std::int32_t code) {
    return ErrorFields(code).str();
}

}  // namespace ponderixd
