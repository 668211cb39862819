// devices, device add/set/remove/use: the stored logic devices.
#include <CLI/CLI.hpp>

#include <array>

#include "context.h"
#include "ctl-error.h"
#include "device-fields.h"
#include "driver-session.h"

namespace scalectl {

namespace {

using Field = driver::LogicDeviceParamType;

constexpr std::array<Field, 6> kShownFields = {Field::Name,     Field::ConnectionType, Field::EndPoint,
                                               Field::BaudRate, Field::Model,          Field::Protocol};

void ListDevices(const Context& context) {
    DriverSession session;
    const auto current = session.CurrentId();
    std::vector<TableRow> rows = {{"", "ID", "NAME", "TYPE", "END POINT", "BAUD", "MODEL", "PROTOCOL"}};
    for (auto id : session.Ids()) {
        JsonLine json;
        json.Integer("id", id).Bool("current", current == id);
        TableRow row = {current == id ? "*" : "", std::to_string(id)};
        for (auto field : kShownFields) {
            const auto value = session.Field(id, field);
            json.Text(FieldKey(field), value);
            row.push_back(value.empty() ? "-" : value);
        }
        if (context.options.json) {
            context.Emit(json, {});
        } else {
            rows.push_back(std::move(row));
        }
    }
    if (!context.options.json) context.EmitTable(rows);
}

struct NewDevice {
    std::string name;
    std::string port;
    std::string tcp;
    std::string baud = "9600";
    std::string model = "auto";
    std::string protocol = "auto";
};

// Every value is checked before the file is touched.
std::vector<std::pair<Field, std::string>> CheckedNewDevice(const NewDevice& device) {
    if (device.port.empty() == device.tcp.empty()) throw UsageError("give either --port PATH or --tcp ADDRESS[:PORT]");
    if (!device.tcp.empty() && !IsTcpEndPoint(device.tcp)) {
        throw UsageError("--tcp must be ADDRESS or ADDRESS:PORT with a port of 1 to 65535, not \"" + device.tcp + "\"");
    }
    const bool tcp = !device.tcp.empty();
    const std::string endPoint = tcp ? device.tcp : device.port;
    return {
        {Field::Name, device.name.empty() ? endPoint : device.name},
        {Field::ConnectionType, std::string(tcp ? kTcp : kSerialPort)},
        {Field::EndPoint, CheckedFieldValue(Field::EndPoint, endPoint)},
        {Field::BaudRate, CheckedFieldValue(Field::BaudRate, device.baud)},
        {Field::Model, CheckedFieldValue(Field::Model, device.model)},
        {Field::Protocol, CheckedFieldValue(Field::Protocol, device.protocol)},
    };
}

void AddDevice(const Context& context, const NewDevice& device) {
    const auto fields = CheckedNewDevice(device);
    DriverSession session;
    const auto id = session.Add();
    try {
        for (const auto& [field, value] : fields) session.SetField(id, field, value);
    } catch (...) {
        // A half-described logic device would only fail later at open.
        try {
            session.Remove(id);
        } catch (...) {
        }
        throw;
    }
    context.Emit(JsonLine().Integer("id", id), "added device " + std::to_string(id));
}

void SetDeviceField(const Context& context, driver::LogicDeviceId id, const std::string& name,
                    const std::string& value) {
    const auto field = FieldByName(name);
    if (!field) throw UsageError("unknown field \"" + name + "\" (one of: " + FieldNames() + ")");
    const auto checked = CheckedFieldValue(*field, value);
    DriverSession session;
    session.RequireId(id);
    session.SetField(id, *field, checked);
    context.Emit(JsonLine().Integer("id", id).Text(FieldKey(*field), checked),
                 "device " + std::to_string(id) + ": " + std::string(FieldKey(*field)) + " = " + checked);
}

void RemoveDevice(const Context& context, driver::LogicDeviceId id) {
    DriverSession session;
    session.RequireId(id);
    session.Remove(id);
    context.Emit(JsonLine().Integer("id", id).Bool("removed", true), "removed device " + std::to_string(id));
}

void UseDevice(const Context& context, driver::LogicDeviceId id) {
    DriverSession session;
    session.RequireId(id);
    session.Use(id);
    context.Emit(JsonLine().Integer("id", id).Bool("current", true), "device " + std::to_string(id) + " is current");
}

}  // namespace

void AddDeviceCommands(CLI::App& app, Context& context) {
    auto* devices = app.add_subcommand("devices", "List the stored logic devices; * marks the current one");
    devices->callback([&context] { context.action = [&context] { ListDevices(context); }; });

    auto* device = app.add_subcommand("device", "Add, change, remove or choose a logic device");
    device->require_subcommand(1);

    auto newDevice = std::make_shared<NewDevice>();
    auto* add = device->add_subcommand("add", "Store a new logic device and print its id");
    add->add_option("--name", newDevice->name, "Name shown in the list (default: the end point)");
    auto* port = add->add_option("--port", newDevice->port, "Serial port path, e.g. /dev/ttyUSB0");
    auto* tcp = add->add_option("--tcp", newDevice->tcp, "TCP end point ADDRESS[:PORT]");
    port->excludes(tcp);
    add->add_option("--baud", newDevice->baud, "Baud rate")->capture_default_str();
    add->add_option("--model", newDevice->model, "Expected model, or auto")->capture_default_str();
    add->add_option("--protocol", newDevice->protocol,
                    "auto, POS2K, POS2KProV1, CAS-K, \"CAS-K ProV1\", CAS-K-Active or OKA")
        ->capture_default_str();
    add->callback(
        [&context, newDevice] { context.action = [&context, newDevice] { AddDevice(context, *newDevice); }; });

    struct FieldChange {
        driver::LogicDeviceId id = 0;
        std::string field;
        std::string value;
    };
    auto change = std::make_shared<FieldChange>();
    auto* set = device->add_subcommand("set", "Change one field of a logic device");
    set->add_option("ID", change->id, "Logic device id")->required();
    set->add_option("FIELD", change->field, "One of: " + FieldNames())->required();
    set->add_option("VALUE", change->value, "New value")->required();
    set->callback([&context, change] {
        context.action = [&context, change] { SetDeviceField(context, change->id, change->field, change->value); };
    });

    auto removeId = std::make_shared<driver::LogicDeviceId>(0);
    auto* remove = device->add_subcommand("remove", "Delete a logic device (the last one stays)");
    remove->add_option("ID", *removeId, "Logic device id")->required();
    remove->callback(
        [&context, removeId] { context.action = [&context, removeId] { RemoveDevice(context, *removeId); }; });

    auto useId = std::make_shared<driver::LogicDeviceId>(0);
    auto* use = device->add_subcommand("use", "Make a logic device the current one");
    use->add_option("ID", *useId, "Logic device id")->required();
    use->callback([&context, useId] { context.action = [&context, useId] { UseDevice(context, *useId); }; });
}

}  // namespace scalectl
