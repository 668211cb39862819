// A program of an integrator's: it knows the installed header and library only. It stores a logic
// device for the scale on PORT, opens it and prints one weight reading.
// Usage: consumer PORT [PROTOCOL]
#include <ponderix/driver.h>

#include <cstdint>
#include <iostream>
#include <string>

namespace {

bool Ok(std::int32_t code, const char* what) {
    if (code == static_cast<std::int32_t>(driver::ErrorCase::Correct)) return true;
    std::cerr << "consumer: " << what << " failed with code " << code << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: consumer PORT [PROTOCOL]\n";
        return 2;
    }
    const std::string protocol = argc > 2 ? argv[2] : "POS2K";
    std::string version;
    GetCurrentVersion(version);

    driver::DeviceHandle handle = nullptr;
    if (!Ok(create(&handle), "create")) return 1;
    driver::LogicDeviceId id = 0;
    bool ok = Ok(add_logic_device(handle, id), "add_logic_device");
    using Field = driver::LogicDeviceParamType;
    for (const auto& [field, value] :
         {std::pair{Field::Name, std::string("consumer")}, std::pair{Field::ConnectionType, std::string("Serial Port")},
          std::pair{Field::EndPoint, std::string(argv[1])}, std::pair{Field::BaudRate, std::string("9600")},
          std::pair{Field::Model, std::string("auto")}, std::pair{Field::Protocol, protocol}}) {
        ok = ok && Ok(set_logic_device_param(handle, id, field, value), "set_logic_device_param");
    }
    ok = ok && Ok(driver_open(&handle, id), "open");
    std::string weight;
    ok = ok && Ok(execute_command(handle, driver::Command::StatusOfWeightChannel), "execute_command");
    ok = ok && Ok(get_param(handle, driver::ParamType::Weight, weight), "get_param");
    if (ok) std::cout << "driver " << version << ", weight " << weight << "\n";
    driver_close(&handle);
    destroy(&handle);
    return ok ? 0 : 1;
}
