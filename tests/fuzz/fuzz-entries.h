#pragma once

// Entry functions that feed foreign bytes to the driver. The fuzz binaries and the regression test
// (tests/driver/fuzz_regressions_test.cpp) call the same functions, so an input that once broke the driver
// is replayed exactly as the fuzzer ran it.
//
// Every entry either returns or throws. A Violation means the driver gave an answer that breaks one of its
// own rules; any other exception escaping an entry is a fault too (the scale's bytes must never throw).
// The exact values are the golden table's business; the entries check what must hold for any bytes.
//
// Layout of the scale-reply entries: byte 0 picks the command, byte 1 the chunk size (modulo 17, 0 for one
// chunk), the rest is what the scale sends. Its first byte arrives alone, so a handshake answer (ACK/NAK) can
// be told apart from the frame that follows.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver-error.h"
#include "protocols/cas/cas-frame.h"
#include "protocols/oka/oka-digits.h"
#include "protocols/pos/pos-command-executor.h"
#include "protocols/pos/pos-validators.h"
#include "store/log-settings.h"
#include "store/logic-devices.h"
#include "support/fake-connection.h"
#include "support/temp-dir.h"

namespace fuzzentries {

using Bytes = std::span<const std::uint8_t>;
using driver::Command;
using driver::ErrorCase;
using driver::ParamType;

class Violation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

inline void Expect(bool holds, const std::string& rule) {
    if (!holds) throw Violation(rule);
}

struct Entry {
    std::string_view name;
    void (*run)(Bytes);
};

// One folder per process for the files the entries write, removed when the process ends normally.
inline const std::filesystem::path& PrivateFolder() {
    static const testsupport::TempDir folder;
    return folder.path();
}

inline std::string_view Text(Bytes data) {
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// For the fuzz binaries: a private app-data root whose log settings keep the log quiet and small, set before
// the first log line so the logging state is built from it.
inline void PrepareQuietAppData() {
    const auto root = PrivateFolder() / "app";
    testsupport::WriteText(root / "NORVELL" / "Ponderix" / "logs" / "config.ini",
                           "file_name = driver.log\nmax_size = 1048576\nmax_files = 1\nseverity_level = critical\n");
    ::setenv("APPDATA", root.c_str(), 1);
}

// ---------------------------------------------------------------------------------------------------------
// Scale replies over a scripted connection

struct Script {
    std::uint8_t selector = 0;
    testsupport::FakeConnection::Chunks chunks;
    driver::ByteVector stream;
};

inline Script ReadScript(Bytes data) {
    Script script;
    if (data.size() >= 1) script.selector = data[0];
    const std::size_t chunkSize = data.size() >= 2 ? data[1] % 17 : 0;
    if (data.size() > 2) script.stream.assign(data.begin() + 2, data.end());
    const auto& s = script.stream;
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t take = at == 0 ? 1 : chunkSize == 0 ? s.size() - at : std::min(chunkSize, s.size() - at);
        script.chunks.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(at),
                                   s.begin() + static_cast<std::ptrdiff_t>(at + take));
        at += take;
    }
    return script;
}

// Runs the factory's executor for the picked command on a scale whose fresh connection has streamed the
// script's bytes. The device is built once (building one reads the logic-device file); what a run leaves in
// its outputs is never read by the next one, and its inputs are set anew. A failed run gives no values.
inline driver::ResultMap RunCommand(std::span<const Command> commands, const Script& script, Command& picked,
                                    ErrorCase& err) {
    static testsupport::FakeScale scale;
    scale.port = std::make_shared<testsupport::FakeConnection>();
    scale.device.UseConnection(scale.port);
    for (int type = 1; type <= static_cast<int>(ParamType::Cell); ++type)
        scale.Input(static_cast<ParamType>(type), "1");
    scale.Input(ParamType::Tare, "500");
    scale.port->Stream(script.chunks);
    picked = commands[script.selector % commands.size()];
    const driver::ResultMap result = scale.Execute(picked, err);
    Expect(err == ErrorCase::Correct || result.empty(), "a failed command gives no values");
    return result;
}

inline std::string Value(const driver::ResultMap& result, ParamType type) {
    const auto found = result.find(type);
    return found == result.end() ? std::string() : found->second;
}

inline bool AllOf(std::string_view text, std::string_view allowed) {
    return text.find_first_not_of(allowed) == std::string_view::npos;
}

inline bool IsDecimal(std::string_view text, bool sign) {
    if (sign && text.starts_with('-')) text.remove_prefix(1);
    return !text.empty() && AllOf(text, "0123456789");
}

// WeightState of a CAS frame: "1"/"0" at characters 1, 5 and 7, "*" elsewhere.
inline void ExpectCASResult(const driver::ResultMap& result) {
    const std::string state = Value(result, ParamType::WeightState);
    static const std::regex flags(R"(([01])\*\*\*\1\*[01]\*\*\*)");
    Expect(std::regex_match(state, flags), "CAS state: flags at characters 1, 5 (the same) and 7, * elsewhere");
    const std::string unit = Value(result, ParamType::UnitOfMeasure);
    Expect(unit == "kg" || unit == "lb" || unit == "g", "CAS unit is kg, lb or g");
    Expect(!Value(result, ParamType::Weight).empty(), "CAS weight is not empty");
    Expect(!result.contains(ParamType::Tare), "CAS gives no tare");
}

inline void PosReply(Bytes data) {
    static const Command commands[] = {Command::POSStatusOfWeightChannel, Command::POSSetZero, Command::POSSetTare,
                                       Command::POSSpecifyTare};
    const Script script = ReadScript(data);
    for (auto* validator : {driver::POSStatusOfWeightChannelResponseValidator, driver::POSSetZeroResponseValidator,
                            driver::POSSetTareResponseValidator, driver::POSSpecifyTareResponseValidator})
        validator(script.stream);

    Command command{};
    ErrorCase err = ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(commands, script, command, err);
    if (command != Command::POSStatusOfWeightChannel || err != ErrorCase::Correct) {
        Expect(result.empty(), "POS zero and tare answers carry no values");
        return;
    }
    const std::string state = Value(result, ParamType::WeightState);
    Expect(state.size() == 10 && AllOf(state, "01"), "POS state is ten 0/1 characters");
    const std::string weight = Value(result, ParamType::Weight);
    Expect(IsDecimal(weight, true) && std::in_range<std::int32_t>(std::stoll(weight)), "POS weight is 32-bit decimal");
    const std::string tare = Value(result, ParamType::Tare);
    Expect(IsDecimal(tare, false) && std::stol(tare) <= 65535, "POS tare is 0 to 65535");
    Expect(Value(result, ParamType::UnitOfMeasure) == "gr", "POS unit is gr");
}

inline void PosState(Bytes data) {
    ErrorCase err = ErrorCase::Correct;
    const std::string text = driver::POSCommandExecutor::ParseState({data.begin(), data.end()}, err);
    if (data.size() != 2)
        Expect(text.empty() && err == ErrorCase::IncorrectArgumnts, "state of other than two bytes");
    else
        Expect(err == ErrorCase::Correct && text.size() == 10 && AllOf(text, "01"), "two state bytes give ten bits");
}

// A frame read on its own and the same bytes through the command meet the same rules.
inline void CasFrameAndCommand(Bytes data, std::span<const Command> commands) {
    const Script script = ReadScript(data);
    driver::CASStatusOfWeightChannelResponseValidator(script.stream);
    driver::CASActiveStatusOfWeightChannelResponseValidator(script.stream);
    ErrorCase err = ErrorCase::Correct;
    const driver::ResultMap frame = driver::ParseCASFrame(script.stream, err);
    if (err == ErrorCase::Correct)
        ExpectCASResult(frame);
    else
        Expect(frame.empty(), "a frame that fails gives no values");

    Command command{};
    err = ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(commands, script, command, err);
    if (err != ErrorCase::Correct) return;
    if (command == Command::CASStatusOfWeightChannel || command == Command::CASActiveStatusOfWeightChannel)
        ExpectCASResult(result);
    else
        Expect(result.empty(), "CAS zero and tare read nothing");
}

inline void CasReply(Bytes data) {
    static const Command commands[] = {Command::CASStatusOfWeightChannel, Command::CASSetZero, Command::CASSetTare};
    CasFrameAndCommand(data, commands);
}

inline void CasActiveReply(Bytes data) {
    static const Command commands[] = {Command::CASActiveStatusOfWeightChannel};
    CasFrameAndCommand(data, commands);
}

inline void OkaReply(Bytes data) {
    static const Command commands[] = {Command::OKAStatusOfWeightChannel, Command::OKASetZero, Command::OKASpecifyTare};
    const Script script = ReadScript(data);
    driver::DigitsToNumberText(script.stream);

    Command command{};
    ErrorCase err = ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(commands, script, command, err);
    if (err != ErrorCase::Correct || command == Command::OKASetZero) return;
    Expect(Value(result, ParamType::UnitOfMeasure) == "kg", "OKA unit is kg");
    if (command != Command::OKAStatusOfWeightChannel) return;
    const std::string state = Value(result, ParamType::WeightState);
    Expect(state.size() == 4 && state.starts_with("0x") && AllOf(state.substr(2), "0123456789abcdef"),
           "OKA flag is 0x and two lower-case hex digits");
    Expect(IsDecimal(Value(result, ParamType::Weight), false), "OKA weight is a decimal number");
    Expect(IsDecimal(Value(result, ParamType::Tare), false), "OKA tare is a decimal number");
}

inline void OkaWeightPlusTare(Bytes data) {
    // The contract: six weight digits and seven sum digits; other sizes must still be safe.
    driver::ByteVector weight(6, 0), sum(7, 0);
    for (std::size_t i = 0; i < data.size() && i < 13; ++i) (i < 6 ? weight[i] : sum[i - 6]) = data[i];
    ErrorCase err = ErrorCase::Correct;
    const driver::ByteVector tare = driver::WeightPlusTare(weight, sum, err);
    const bool digits = std::all_of(tare.begin(), tare.end(), [](auto b) { return b <= 9; });
    Expect(err == ErrorCase::Correct ? tare.size() == 6 && digits : tare.empty(), "tare is six digits or none");

    if (!data.empty()) {  // out-of-contract sizes: the first byte splits the rest
        const auto split =
            data.begin() + 1 + static_cast<std::ptrdiff_t>(std::min<std::size_t>(data[0], data.size() - 1));
        driver::WeightPlusTare({data.begin() + 1, split}, {split, data.end()}, err);
    }
}

inline void BalvexReply(Bytes data) {
    using enum driver::Command;
    // clang-format off
    static const Command reads[] = {
        GetFirmwareVersion1,     GetFirmwareVersion2,  GetProtocolVersion,      GetSerialNumber,
        GetMaxWeight,            GetDiscret,           GetValueOfAutoSetToZero, GetTimeOfAutoSetToZero,
        GetRangeOfAutoSetToZero, GetRangeOfKeyToZero,  GetRangeOfTare,          GetRangeOfOverloads,
        GetAutoOff,              GetLightLevel,        GetWeightCalibration,    GetCountOfCalibration,
        GetModeOfCalibration,    GetUnitOfMeasure,     GetUnitOfMeasure2,       GetPowerSavingMode,
        SetMaxWeight,            ZeroScaleCalibration, SetCountOfCalibration,   SetWeightScaleCalibrationParameters,
        GetProtocolAuto,         StatusOfWeightChannelAuto};
    // clang-format on
    constexpr std::size_t kReads = 20;  // the rest write, act or detect
    const Script script = ReadScript(data);
    Command command{};
    ErrorCase err = ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(reads, script, command, err);
    if (std::find(reads, reads + kReads, command) == reads + kReads) return;
    Expect(result.size() <= 1, "a read gives at most one value");
    if (result.empty()) return;
    const std::string& value = result.begin()->second;
    Expect(value.find_first_of("\r\n") == std::string::npos, "a read value holds no line break");
    Expect(driver::ToText(script.stream).find("=" + value + "\r\n") != std::string::npos,
           "the read value is a line's text after =");
}

inline void ModelName(Bytes data) {
    static const Command commands[] = {Command::GetScalesModel};
    Command command{};
    ErrorCase err = ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(commands, ReadScript(data), command, err);
    if (result.empty()) return;  // failed, or a division that cannot be read
    const std::string name = Value(result, ParamType::ScalesModel);
    Expect(name.starts_with("K-ZA ") && name.ends_with(" III(средний)"), "model name has its prefix and class");
}

// ---------------------------------------------------------------------------------------------------------
// Files

inline void ConfigIni(Bytes data) {
    namespace logging = driver::logging;
    const auto path = PrivateFolder() / "ini" / "config.ini";
    testsupport::WriteText(path, Text(data));
    const auto settings = logging::ReadSettingsFile(path.string());
    Expect(settings.has_value(), "a written settings file can be read");
    for (const auto& [key, value] : *settings) {
        for (const std::string_view text : {key, value}) {
            Expect(text.find('\n') == std::string::npos, "no line feed inside a key or value");
            Expect(text.empty() || (!AllOf(text.substr(0, 1), " \t") && !AllOf(text.substr(text.size() - 1), " \t")),
                   "keys and values are trimmed");
        }
        Expect(key.find('=') == std::string::npos, "a key holds no =");
    }
    const auto copy = path.parent_path() / "copy.ini";
    Expect(logging::WriteSettingsFile(copy.string(), *settings), "settings can be written");
    Expect(logging::ReadSettingsFile(copy.string()) == settings, "written settings read back the same");

    driver::LoggingSettings complete = *settings;
    logging::CompleteSettings(complete);
    for (const char* key : {"file_name", "max_size", "max_files", "severity_level"})
        Expect(!complete[key].empty(), "completed settings hold every key");
    try {
        const logging::LogConfig config = logging::ToConfig(complete);
        Expect(config.maxSize >= 1 && config.maxFiles >= 1, "converted limits are at least 1");
        Expect(logging::LevelFromName(complete.at("severity_level")) == config.level, "level from its name");
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
}

inline void LogicDevicesJson(Bytes data) {
    const auto root = PrivateFolder() / "json";
    std::filesystem::remove_all(root / "NORVELL");
    testsupport::WriteText(root / "NORVELL" / "Ponderix" / "logic-devices-connection-config.json", Text(data));
    testsupport::ScopedEnv appData("APPDATA", root.string());

    std::optional<driver::LogicDeviceManager> manager;
    try {
        manager.emplace();
    } catch (const driver::DriverError&) {
        return;  // refused: the file is not a registry
    }
    ErrorCase err = ErrorCase::Correct;
    const auto ids = manager->GetAllSortedID(err);
    Expect(err == ErrorCase::Correct && !ids.empty() && std::is_sorted(ids.begin(), ids.end()),
           "a loaded registry lists its ids sorted");
    for (const auto id : ids) {
        Expect(manager->GetLogicDevice(id, err) != nullptr, "every listed id has a logic device");
        manager->AreAllParametersSet(id, err);
    }
    manager->GetCurrentLogicDeviceID(err);

    // Whatever was loaded must survive being written and read back.
    err = ErrorCase::Correct;
    const auto added = manager->AddLogicDevice(err);
    if (err != ErrorCase::Correct) return;  // the limit of logic devices
    Expect(std::find(ids.begin(), ids.end(), added) == ids.end(), "a new id is not in use");
    manager->SetLogicDeviceParam(added, driver::LogicDeviceParamType::Name, "fuzz", err);
    manager->SetCurrentLogicDevice(added, err);
    Expect(err == ErrorCase::Correct, "the new logic device can be named and made current");

    driver::LogicDeviceManager reloaded;
    Expect(reloaded.GetAllSortedID(err).size() == ids.size() + 1, "the written file holds every logic device");
    Expect(reloaded.GetCurrentLogicDeviceID(err) == added, "the written file keeps the current mark");
    manager->DeleteLogicDevice(added, err);
    Expect(err == ErrorCase::Correct, "the new logic device can be deleted");
}

inline const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {"pos_reply", PosReply},       {"pos_state", PosState},
        {"cas_reply", CasReply},       {"cas_active_reply", CasActiveReply},
        {"oka_reply", OkaReply},       {"oka_weight_plus_tare", OkaWeightPlusTare},
        {"balvex_reply", BalvexReply}, {"model_name", ModelName},
        {"config_ini", ConfigIni},     {"logic_devices_json", LogicDevicesJson},
    };
    return entries;
}

inline const Entry* FindEntry(std::string_view name) {
    for (const auto& entry : Entries())
        if (entry.name == name) return &entry;
    return nullptr;
}

}  // namespace fuzzentries
