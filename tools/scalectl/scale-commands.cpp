// detect, zero, tare, get, set, calibrate, reboot: one exchange with the scale each.
#include <CLI/CLI.hpp>

#include "balvex-keys.h"
#include "context.h"
#include "ctl-error.h"
#include "device-fields.h"
#include "driver-session.h"
#include "weight-reading.h"

namespace scalectl {

namespace {

using driver::Command;
using driver::LogicDeviceParamType;
using driver::ParamType;

void Detect(const Context& context, std::optional<driver::LogicDeviceId> requested) {
    DriverSession session;
    const auto id = ResolveId(session, requested ? requested : context.options.device);
    // Detection runs when the stored protocol is "auto"; the driver then stores what it found.
    const auto stored = session.Field(id, LogicDeviceParamType::Protocol);
    if (stored != "auto") session.SetField(id, LogicDeviceParamType::Protocol, "auto");
    std::string protocol;
    std::optional<std::string> model;
    try {
        ScaleConnection scale(session, id);
        protocol = session.Protocol();
        // Only the service-protocol variants can tell their model.
        if (protocol.find("Pro") != std::string::npos) model = session.Param(ParamType::ScalesModel);
    } catch (...) {
        if (stored != "auto") session.SetField(id, LogicDeviceParamType::Protocol, stored);
        throw;
    }
    context.Emit(JsonLine().Integer("device", id).Text("protocol", protocol).TextOrNull("model", model),
                 TableText({{"device", std::to_string(id)},
                            {"protocol", protocol},
                            {"model", model ? *model : "- (not reported by this protocol)"}}));
}

void RunAction(const Context& context, std::string_view name, Command command) {
    DriverSession session;
    ScaleConnection scale(session, context.options.device);
    session.Execute(command);
    context.Emit(JsonLine().Text("command", name).Text("result", "ok"), std::string(name) + ": ok");
}

// The preset tare goes to the scale in its own counting: grams for POS, whole units for OKA.
std::string TareForScale(driver::ProtocolFamily family, const std::string& kilograms) {
    if (family == driver::ProtocolFamily::Pos) {
        const double grams = std::stod(kilograms) * 1000.0;
        if (grams < 0 || grams > 65535) throw UsageError("tare must be between 0 and 65.535 kg");
        return std::to_string(static_cast<long>(grams + 0.5));
    }
    if (!IsUnsigned(kilograms)) throw UsageError("this protocol takes the tare as a whole number");
    return kilograms;
}

void SpecifyTare(const Context& context, const std::string& value) {
    if (!IsNumber(value) || value.front() == '-')
        throw UsageError("tare must be a number of kg, not \"" + value + "\"");
    DriverSession session;
    ScaleConnection scale(session, context.options.device);
    const auto tare = TareForScale(driver::FamilyOf(session.Protocol()), value);
    session.SetParam(ParamType::Tare, tare);
    session.Execute(Command::SpecifyTare);
    context.Emit(JsonLine().Text("command", "tare").Text("tare", value).Text("result", "ok"), "tare set to " + value);
}

void GetKeys(const Context& context, const std::vector<std::string>& keys) {
    DriverSession session;
    ScaleConnection scale(session, context.options.device);
    std::vector<TableRow> rows;
    for (const auto& name : keys) {
        const auto* key = FindBalvexKey(name);
        session.Execute(*key->get);
        const auto value = session.Param(key->param);
        if (context.options.json) {
            context.Emit(JsonLine().Text("key", name).Text("value", value), {});
        } else {
            rows.push_back({name, value});
        }
    }
    if (!context.options.json) context.EmitTable(rows);
}

void SetKey(const Context& context, const std::string& name, const std::optional<std::string>& value) {
    const auto* key = FindBalvexKey(name);
    if (key->setValue == ValueKind::None && value) throw UsageError(name + " takes no value");
    if (key->setValue != ValueKind::None && !value) throw UsageError(name + " needs a value");
    if (key->setValue == ValueKind::Number && !IsNumber(*value)) {
        throw UsageError(name + " must be a number, not \"" + *value + "\"");
    }
    DriverSession session;
    ScaleConnection scale(session, context.options.device);
    if (value) session.SetParam(key->param, *value);
    session.Execute(*key->set);
    JsonLine json;
    json.Text("key", name).TextOrNull("value", value).Text("result", "ok");
    context.Emit(json, value ? name + " = " + *value : name + ": ok");
}

void CalibrateWeight(const Context& context, const std::string& kilograms) {
    if (!IsNumber(kilograms) || kilograms.front() == '-' || std::stod(kilograms) <= 0) {
        throw UsageError("calibration weight must be a positive number of kg, not \"" + kilograms + "\"");
    }
    DriverSession session;
    ScaleConnection scale(session, context.options.device);
    session.SetParam(ParamType::WeightScaleCalibrationParameters, kilograms);
    // The driver polls the scale until it settles and refuses after ten unsettled readings.
    session.Execute(Command::SetWeightScaleCalibrationParameters);
    context.Emit(JsonLine().Text("command", "calibrate weight").Text("weight", kilograms).Text("result", "ok"),
                 "calibrated with " + kilograms + " kg");
}

CLI::Validator KeyValidator(std::vector<std::string> keys) {
    std::string list;
    for (const auto& key : keys) list += (list.empty() ? "" : ", ") + key;
    return CLI::Validator(
        [keys, list](std::string& value) -> std::string {
            for (const auto& key : keys) {
                if (key == value) return {};
            }
            return "unknown key \"" + value + "\" (keys: " + list + ")";
        },
        "KEY");
}

}  // namespace

void AddScaleCommands(CLI::App& app, Context& context) {
    auto detectId = std::make_shared<std::optional<driver::LogicDeviceId>>();
    auto* detect = app.add_subcommand("detect", "Open with protocol auto and show the protocol and model found");
    detect->add_option("ID", *detectId, "Logic device id (default: --device or the current one)");
    detect->callback([&context, detectId] { context.action = [&context, detectId] { Detect(context, *detectId); }; });

    auto* zero = app.add_subcommand("zero", "Set the scale to zero");
    zero->callback([&context] { context.action = [&context] { RunAction(context, "zero", Command::SetZero); }; });

    auto tareValue = std::make_shared<std::optional<std::string>>();
    auto* tare = app.add_subcommand("tare", "Take the load as tare, or preset a tare with --set");
    tare->add_option("--set", *tareValue, "Preset tare in kg (POS) or in the scale's whole units (OKA)");
    tare->callback([&context, tareValue] {
        context.action = [&context, tareValue] {
            if (*tareValue) {
                SpecifyTare(context, **tareValue);
            } else {
                RunAction(context, "tare", Command::SetTare);
            }
        };
    });

    auto getKeys = std::make_shared<std::vector<std::string>>();
    auto* get = app.add_subcommand("get", "Read settings of the scale");
    get->add_option("KEY", *getKeys, "Setting keys")->required()->check(KeyValidator(ReadableKeys()));
    get->callback([&context, getKeys] { context.action = [&context, getKeys] { GetKeys(context, *getKeys); }; });

    struct KeyValue {
        std::string key;
        std::optional<std::string> value;
    };
    auto setArgs = std::make_shared<KeyValue>();
    auto* set = app.add_subcommand("set", "Write a setting of the scale");
    set->add_option("KEY", setArgs->key, "Setting key")->required()->check(KeyValidator(WritableKeys()));
    set->add_option("VALUE", setArgs->value, "New value (cnt takes none)");
    set->callback([&context, setArgs] {
        context.action = [&context, setArgs] { SetKey(context, setArgs->key, setArgs->value); };
    });

    auto* calibrate = app.add_subcommand("calibrate", "Calibrate the scale: zero first, then with a known weight");
    calibrate->require_subcommand(1);
    auto* calZero = calibrate->add_subcommand("zero", "Calibrate the empty scale");
    calZero->callback([&context] {
        context.action = [&context] { RunAction(context, "calibrate zero", Command::ZeroScaleCalibration); };
    });
    auto calKg = std::make_shared<std::string>();
    auto* calWeight = calibrate->add_subcommand("weight", "Calibrate with a known load once the scale is stable");
    calWeight->add_option("KG", *calKg, "The load in kg")->required();
    calWeight->callback(
        [&context, calKg] { context.action = [&context, calKg] { CalibrateWeight(context, *calKg); }; });

    auto* reboot = app.add_subcommand("reboot", "Restart the scale");
    reboot->callback([&context] { context.action = [&context] { RunAction(context, "reboot", Command::Reboot); }; });
}

}  // namespace scalectl
