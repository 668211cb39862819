#pragma once

// Entry functions that feed foreign bytes to the driver. The fuzz binaries and the regression test
// (tests/driver/fuzz_regressions_test.cpp) call the same functions, so an input that once broke the driver
// is replayed exactly as the fuzzer ran it.
//
// Every entry either returns or throws. A Violation means the driver gave an answer that breaks one of its
// own rules; any other exception escaping an entry is a fault too (the scale's bytes must never throw).
//
// Layout of the scale-reply entries: byte 0 picks the command, byte 1 the chunk size (modulo 17, 0 for one
// chunk), the rest is what the scale sends. Its first byte arrives alone, so a handshake answer (ACK/NAK) can
// be told apart from the frame that follows.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "driver-error.h"
#include "protocols/cas/cas-active-command-executor.h"
#include "protocols/cas/cas-command-executor.h"
#include "protocols/cas/cas-frame.h"
#include "protocols/oka/oka-digits.h"
#include "protocols/pos/pos-command-executor.h"
#include "protocols/pos/pos-validators.h"
#include "store/log-settings.h"
#include "store/logic-devices.h"
#include "support/fake-connection.h"

namespace fuzzentries {

using Bytes = std::span<const std::uint8_t>;

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

// ---------------------------------------------------------------------------------------------------------
// Private folders

// One folder per process for the files the entries write, removed when the process ends normally.
inline const std::filesystem::path& PrivateFolder() {
    struct Folder {
        Folder() {
            std::string pattern = (std::filesystem::temp_directory_path() / "ponderix-fuzz-XXXXXX").string();
            if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create " + pattern);
            path = pattern;
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        std::filesystem::path path;
    };
    static const Folder folder;
    return folder.path;
}

inline void WriteFile(const std::filesystem::path& path, Bytes data) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// For the fuzz binaries: a private app-data root whose log settings keep the log quiet and small, set before
// the first log line so the logging state is built from it.
inline void PrepareQuietAppData() {
    const auto root = PrivateFolder() / "app";
    const std::string settings =
        "file_name = driver.log\nmax_size = 1048576\nmax_files = 1\nseverity_level = critical\n";
    WriteFile(root / "NORVELL" / "Ponderix" / "logs" / "config.ini",
              Bytes(reinterpret_cast<const std::uint8_t*>(settings.data()), settings.size()));
    ::setenv("APPDATA", root.c_str(), 1);
}

// Points APPDATA elsewhere for one call.
class AppDataOverride {
public:
    explicit AppDataOverride(const std::filesystem::path& root) {
        if (const char* old = std::getenv("APPDATA")) old_ = old;
        ::setenv("APPDATA", root.c_str(), 1);
    }
    ~AppDataOverride() { ::setenv("APPDATA", old_.c_str(), 1); }
    AppDataOverride(const AppDataOverride&) = delete;
    AppDataOverride& operator=(const AppDataOverride&) = delete;

private:
    std::string old_;
};

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
    if (s.empty()) return script;
    script.chunks.push_back({s.front()});
    for (std::size_t at = 1; at < s.size();) {
        const std::size_t take = chunkSize == 0 ? s.size() - at : std::min(chunkSize, s.size() - at);
        script.chunks.emplace_back(s.begin() + static_cast<std::ptrdiff_t>(at),
                                   s.begin() + static_cast<std::ptrdiff_t>(at + take));
        at += take;
    }
    return script;
}

template <std::size_t N>
driver::Command Pick(std::uint8_t selector, const driver::Command (&commands)[N]) {
    return commands[selector % N];
}

// Runs the factory's executor for command on a scale whose fresh connection has streamed the script's bytes.
// The device is built once (building one reads the logic-device file); what a run leaves in its outputs is
// never read by the next one, and its inputs are set anew.
inline driver::ResultMap RunCommand(driver::Command command, const Script& script, driver::ErrorCase& err) {
    static testsupport::FakeScale scale;
    scale.port = std::make_shared<testsupport::FakeConnection>();
    scale.device.UseConnection(scale.port);
    for (int type = 1; type <= static_cast<int>(driver::ParamType::Cell); ++type)
        scale.Input(static_cast<driver::ParamType>(type), "1");
    scale.Input(driver::ParamType::Tare, "500");
    scale.port->Stream(script.chunks);
    return scale.Execute(command, err);
}

inline std::string Value(const driver::ResultMap& result, driver::ParamType type) {
    const auto found = result.find(type);
    return found == result.end() ? std::string() : found->second;
}

inline bool AllOf(std::string_view text, std::string_view allowed) {
    return text.find_first_not_of(allowed) == std::string_view::npos;
}

inline bool IsDecimal(std::string_view text, bool sign) {
    if (sign && !text.empty() && text.front() == '-') text.remove_prefix(1);
    return !text.empty() && AllOf(text, "0123456789");
}

// WeightState of a CAS frame: "1"/"0" at characters 1, 5 and 7, "*" elsewhere.
inline void ExpectCASResult(const driver::ResultMap& result) {
    using driver::ParamType;
    const std::string state = Value(result, ParamType::WeightState);
    Expect(state.size() == 10, "CAS state text has ten characters");
    for (std::size_t i = 0; i < state.size(); ++i) {
        const bool flag = i == 0 || i == 4 || i == 6;
        Expect(flag ? (state[i] == '0' || state[i] == '1') : state[i] == '*', "CAS state characters");
    }
    Expect(state[0] == state[4], "CAS stable flag at characters 1 and 5 agrees");
    const std::string unit = Value(result, ParamType::UnitOfMeasure);
    Expect(unit == "kg" || unit == "lb" || unit == "g", "CAS unit is kg, lb or g");
    Expect(!Value(result, ParamType::Weight).empty(), "CAS weight is not empty");
    Expect(!result.contains(ParamType::Tare), "CAS gives no tare");
}

inline void PosReply(Bytes data) {
    using driver::Command;
    using driver::ParamType;
    static const Command commands[] = {Command::POSStatusOfWeightChannel, Command::POSSetZero, Command::POSSetTare,
                                       Command::POSSpecifyTare};
    const Script script = ReadScript(data);
    driver::POSStatusOfWeightChannelResponseValidator(script.stream);
    driver::POSSetZeroResponseValidator(script.stream);
    driver::POSSetTareResponseValidator(script.stream);
    driver::POSSpecifyTareResponseValidator(script.stream);

    const Command command = Pick(script.selector, commands);
    driver::ErrorCase err = driver::ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(command, script, err);
    if (err != driver::ErrorCase::Correct) {
        Expect(result.empty(), "a failed POS command gives no values");
        return;
    }
    if (command != Command::POSStatusOfWeightChannel) {
        Expect(result.empty(), "POS zero and tare answers carry no values");
        return;
    }
    const std::string state = Value(result, ParamType::WeightState);
    Expect(state.size() == 10 && AllOf(state, "01"), "POS state is ten 0/1 characters");
    const std::string weight = Value(result, ParamType::Weight);
    Expect(IsDecimal(weight, true), "POS weight is a decimal number");
    const long long weightValue = std::stoll(weight);
    Expect(weightValue >= INT32_MIN && weightValue <= INT32_MAX, "POS weight fits 32 bits");
    const std::string tare = Value(result, ParamType::Tare);
    Expect(IsDecimal(tare, false) && std::stol(tare) <= 65535, "POS tare is 0 to 65535");
    Expect(Value(result, ParamType::UnitOfMeasure) == "gr", "POS unit is gr");
}

inline void PosState(Bytes data) {
    const driver::ByteVector bytes(data.begin(), data.end());
    driver::ErrorCase err = driver::ErrorCase::Correct;
    const std::string text = driver::POSCommandExecutor::ParseState(bytes, err);
    if (bytes.size() != 2) {
        Expect(text.empty() && err == driver::ErrorCase::IncorrectArgumnts, "state of other than two bytes");
        return;
    }
    Expect(err == driver::ErrorCase::Correct, "two state bytes are accepted");
    std::string expected;
    for (int bit = 0; bit < 8; ++bit) expected += (bytes[0] >> bit & 1) ? '1' : '0';
    expected += (bytes[1] & 0x80) ? '1' : '0';
    expected += (bytes[1] & 0x40) ? '1' : '0';
    Expect(text == expected, "state bits: first byte from bit 0, then bits 7 and 6 of the second");
}

inline void CasReply(Bytes data) {
    using driver::Command;
    static const Command commands[] = {Command::CASStatusOfWeightChannel, Command::CASSetZero, Command::CASSetTare};
    const Script script = ReadScript(data);
    driver::CASStatusOfWeightChannelResponseValidator(script.stream);
    {
        driver::ErrorCase err = driver::ErrorCase::Correct;
        const driver::ResultMap frame = driver::ParseCASFrame(script.stream, err);
        if (err == driver::ErrorCase::Correct)
            ExpectCASResult(frame);
        else
            Expect(frame.empty(), "a frame that fails gives no values");
        driver::ReadCASFields(script.stream, err);
    }

    const Command command = Pick(script.selector, commands);
    driver::ErrorCase err = driver::ErrorCase::Correct;
    auto executor = driver::CreateCommandExecutor(command, err);
    if (auto* cas = dynamic_cast<driver::CASCommandExecutor*>(executor.get())) {
        cas->CheckResponseFrame(script.stream);
        driver::ErrorCase frameErr = driver::ErrorCase::Correct;
        cas->ParseCASFrame(script.stream, frameErr);
    }
    const driver::ResultMap result = RunCommand(command, script, err);
    if (err != driver::ErrorCase::Correct) {
        Expect(result.empty(), "a failed CAS command gives no values");
        return;
    }
    if (command == Command::CASStatusOfWeightChannel)
        ExpectCASResult(result);
    else
        Expect(result.empty(), "CAS zero and tare read nothing");
}

inline void CasActiveReply(Bytes data) {
    const Script script = ReadScript(data);
    driver::CASActiveStatusOfWeightChannelResponseValidator(script.stream);
    driver::ErrorCase err = driver::ErrorCase::Correct;
    auto executor = driver::CreateCommandExecutor(driver::Command::CASActiveStatusOfWeightChannel, err);
    if (auto* cas = dynamic_cast<driver::CASActiveCommandExecutor*>(executor.get())) {
        driver::ErrorCase frameErr = driver::ErrorCase::Correct;
        const driver::ResultMap frame = cas->ParseCASFrame(script.stream, frameErr);
        if (frameErr == driver::ErrorCase::Correct) ExpectCASResult(frame);
    }
    const driver::ResultMap result = RunCommand(driver::Command::CASActiveStatusOfWeightChannel, script, err);
    if (err != driver::ErrorCase::Correct) {
        Expect(result.empty(), "a failed CAS active reading gives no values");
        return;
    }
    ExpectCASResult(result);
}

inline void OkaReply(Bytes data) {
    using driver::Command;
    using driver::ParamType;
    static const Command commands[] = {Command::OKAStatusOfWeightChannel, Command::OKASetZero, Command::OKASpecifyTare};
    const Script script = ReadScript(data);
    driver::DigitsToNumberText(script.stream);

    const Command command = Pick(script.selector, commands);
    driver::ErrorCase err = driver::ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(command, script, err);
    if (err != driver::ErrorCase::Correct) {
        Expect(result.empty(), "a failed OKA command gives no values");
        return;
    }
    if (command == Command::OKASetZero) return;
    Expect(Value(result, ParamType::UnitOfMeasure) == "kg", "OKA unit is kg");
    if (command != Command::OKAStatusOfWeightChannel) return;
    const std::string state = Value(result, ParamType::WeightState);
    Expect(state.size() == 4 && state.starts_with("0x") && AllOf(state.substr(2), "0123456789abcdef"),
           "OKA flag is 0x and two lower-case hex digits");
    Expect(IsDecimal(Value(result, ParamType::Weight), false), "OKA weight is a decimal number");
    Expect(IsDecimal(Value(result, ParamType::Tare), false), "OKA tare is a decimal number");
}

// Digits most significant first as a number; nothing when a byte is no digit.
inline std::optional<std::uint64_t> Number(const driver::ByteVector& digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (auto d : digits) {
        if (d > 9) return std::nullopt;
        value = value * 10 + d;
    }
    return value;
}

inline void OkaWeightPlusTare(Bytes data) {
    // The contract: six weight digits and seven sum digits; other sizes must still be safe.
    driver::ByteVector weight(6, 0), sum(7, 0);
    for (std::size_t i = 0; i < data.size() && i < 13; ++i) (i < 6 ? weight[i] : sum[i - 6]) = data[i];
    driver::ErrorCase err = driver::ErrorCase::Correct;
    const driver::ByteVector tare = driver::WeightPlusTare(weight, sum, err);
    if (err == driver::ErrorCase::Correct) {
        Expect(tare.size() == 6 && std::all_of(tare.begin(), tare.end(), [](auto b) { return b <= 9; }),
               "tare is six digit bytes");
        const auto w = Number(weight);
        const auto s = Number(sum);
        const bool zeroSum = std::all_of(sum.begin(), sum.end(), [](auto b) { return b == 0; });
        const bool sameDigits = std::equal(weight.begin(), weight.end(), sum.begin());
        if (w && s && !zeroSum && !sameDigits) {
            const std::int64_t t = static_cast<std::int64_t>((*s + 5) / 10) - static_cast<std::int64_t>(*w);
            const std::uint64_t expected = *s < *w || t < 0 ? 0 : static_cast<std::uint64_t>(t);
            Expect(Number(tare) == expected, "tare = (s + 5) / 10 - w");
        } else if (zeroSum || sameDigits) {
            Expect(Number(tare) == 0u, "a zero sum or a sum that repeats the weight gives a zero tare");
        }
    } else {
        Expect(tare.empty(), "a failed tare gives no digits");
    }

    if (!data.empty()) {  // out-of-contract sizes: the first byte splits the rest
        const std::size_t split = std::min<std::size_t>(data[0], data.size() - 1);
        const driver::ByteVector left(data.begin() + 1, data.begin() + 1 + static_cast<std::ptrdiff_t>(split));
        const driver::ByteVector right(data.begin() + 1 + static_cast<std::ptrdiff_t>(split), data.end());
        driver::ErrorCase ignored = driver::ErrorCase::Correct;
        driver::WeightPlusTare(left, right, ignored);
    }
}

struct NativeKey {
    driver::Command command;
    std::string_view key;  // empty for writes and actions
};

// The value a read of key finds in text: the first "key=" followed by a line that ends in CR LF with no CR or
// LF inside it.
inline std::optional<std::string> ValueAfterKey(const std::string& text, std::string_view key) {
    const std::string marker = std::string(key) + "=";
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1)) {
        const std::size_t begin = at + marker.size();
        const std::size_t end = text.find_first_of("\r\n", begin);
        if (end != std::string::npos && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            return text.substr(begin, end - begin);
    }
    return std::nullopt;
}

inline void NativeReply(Bytes data) {
    using driver::Command;
    static const NativeKey reads[] = {
        {Command::GetFirmwareVersion1, "ver1"},
        {Command::GetFirmwareVersion2, "ver2"},
        {Command::GetProtocolVersion, "prov"},
        {Command::GetSerialNumber, "sern"},
        {Command::GetMaxWeight, "max"},
        {Command::GetDiscret, "div"},
        {Command::GetValueOfAutoSetToZero, "azr"},
        {Command::GetTimeOfAutoSetToZero, "azt"},
        {Command::GetRangeOfAutoSetToZero, "pzr"},
        {Command::GetRangeOfKeyToZero, "kzr"},
        {Command::GetRangeOfTare, "ktr"},
        {Command::GetRangeOfOverloads, "ovr"},
        {Command::GetAutoOff, "off"},
        {Command::GetLightLevel, "bkl"},
        {Command::GetWeightCalibration, "cal"},
        {Command::GetCountOfCalibration, "cnt"},
        {Command::GetModeOfCalibration, "modc"},
        {Command::GetUnitOfMeasure, "u2en"},
        {Command::GetUnitOfMeasure2, "u3en"},
        {Command::GetPowerSavingMode, "sav"},
        {Command::SetMaxWeight, ""},
        {Command::ZeroScaleCalibration, ""},
        {Command::SetCountOfCalibration, ""},
        {Command::SetWeightScaleCalibrationParameters, ""},
        {Command::GetProtocolAuto, ""},
        {Command::StatusOfWeightChannelAuto, ""},
    };
    const Script script = ReadScript(data);
    const NativeKey& pick = reads[script.selector % std::size(reads)];
    driver::ErrorCase err = driver::ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(pick.command, script, err);
    if (err != driver::ErrorCase::Correct) {
        Expect(result.empty(), "a failed native command gives no values");
        return;
    }
    if (pick.key.empty()) return;

    // The line the scale sent for the read: what the exchange took before its reply ended in CR LF.
    std::string reply;
    for (const auto& chunk : script.chunks) {
        const std::string piece = driver::ToText(chunk);
        reply += piece;
        if (reply.size() >= 3 && reply.ends_with("\r\n")) break;
    }
    const auto expected = ValueAfterKey(reply, pick.key);
    Expect(result.size() <= 1, "a read gives at most one value");
    if (expected) {
        Expect(result.size() == 1 && result.begin()->second == *expected, "the read value is the text after key=");
    } else {
        Expect(result.empty(), "a reply without the key gives no value");
    }
}

inline void ModelName(Bytes data) {
    const Script script = ReadScript(data);
    driver::ErrorCase err = driver::ErrorCase::Correct;
    const driver::ResultMap result = RunCommand(driver::Command::GetScalesModel, script, err);
    if (err != driver::ErrorCase::Correct) {
        Expect(result.empty(), "a failed model read gives no name");
        return;
    }
    if (result.empty()) return;  // a division that cannot be read
    const std::string name = Value(result, driver::ParamType::ScalesModel);
    Expect(name.starts_with("K-ZA ") && name.ends_with(" III(средний)"), "model name has its prefix and class");
}

// ---------------------------------------------------------------------------------------------------------
// Files

inline void ConfigIni(Bytes data) {
    namespace logging = driver::logging;
    const auto folder = PrivateFolder() / "ini";
    const auto path = folder / "config.ini";
    WriteFile(path, data);
    const auto settings = logging::ReadSettingsFile(path.string());
    Expect(settings.has_value(), "a written settings file can be read");
    for (const auto& [key, value] : *settings) {
        for (const std::string& text : {key, value}) {
            Expect(text.find('\n') == std::string::npos, "no line feed inside a key or value");
            Expect(text.empty() ||
                       (text.front() != ' ' && text.front() != '\t' && text.back() != ' ' && text.back() != '\t'),
                   "keys and values are trimmed");
        }
        Expect(key.find('=') == std::string::npos, "a key holds no =");
    }

    const auto copy = folder / "copy.ini";
    Expect(logging::WriteSettingsFile(copy.string(), *settings), "settings can be written");
    Expect(logging::ReadSettingsFile(copy.string()) == settings, "written settings read back the same");

    driver::LoggingSettings complete = *settings;
    logging::CompleteSettings(complete);
    for (std::string_view key : {"file_name", "max_size", "max_files", "severity_level"})
        Expect(!complete[std::string(key)].empty(), "completed settings hold every key");
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
    const auto folder = root / "NORVELL" / "Ponderix";
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    WriteFile(folder / "logic-devices-connection-config.json", data);
    AppDataOverride appData(root);

    std::optional<driver::LogicDeviceManager> manager;
    try {
        manager.emplace();
    } catch (const driver::DriverError&) {
        return;  // refused: the file is not a registry
    }

    using driver::ErrorCase;
    ErrorCase err = ErrorCase::Correct;
    const auto ids = manager->GetAllSortedID(err);
    Expect(err == ErrorCase::Correct && !ids.empty(), "a loaded registry lists its ids");
    Expect(std::is_sorted(ids.begin(), ids.end()), "ids come sorted");
    for (const auto id : ids) {
        ErrorCase ecase = ErrorCase::Correct;
        Expect(manager->GetLogicDevice(id, ecase) != nullptr, "every listed id has a logic device");
        manager->AreAllParametersSet(id, ecase);
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
    ErrorCase reloadErr = ErrorCase::Correct;
    const auto again = reloaded.GetAllSortedID(reloadErr);
    Expect(again.size() == ids.size() + 1, "the written file holds every logic device");
    Expect(reloaded.GetCurrentLogicDeviceID(reloadErr) == added, "the written file keeps the current mark");

    manager->DeleteLogicDevice(added, err);
    Expect(err == ErrorCase::Correct, "the new logic device can be deleted");
}

inline const std::vector<Entry>& Entries() {
    static const std::vector<Entry> entries = {
        {"pos_reply", PosReply},       {"pos_state", PosState},
        {"cas_reply", CasReply},       {"cas_active_reply", CasActiveReply},
        {"oka_reply", OkaReply},       {"oka_weight_plus_tare", OkaWeightPlusTare},
        {"native_reply", NativeReply}, {"model_name", ModelName},
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
