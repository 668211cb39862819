// A program of an integrator's: it knows the installed header and library only. It reads FILE
// with the C library's open/read/close, which linking libdriver.so must leave bound to the C
// library, then stores a logic device for the scale on PORT, opens it and prints one weight reading.
// Usage: consumer FILE PORT [PROTOCOL]
#include <fcntl.h>
#include <ponderix/driver.h>
#include <unistd.h>

#include <cstdint>
#include <iostream>
#include <string>

namespace {

bool Ok(std::int32_t code, const char* what) {
    if (code == static_cast<std::int32_t>(driver::ErrorCase::Correct)) return true;
    std::cerr << "consumer: " << what << " failed with code " << code << "\n";
    return false;
}

// The driver's "open" would take the path for a handle and answer an error code, not a descriptor.
bool ReadsWithCLibrary(const char* path, std::string& text) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[256];
    ssize_t count = 0;
    while ((count = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(count));
    return close(fd) == 0 && count == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: consumer FILE PORT [PROTOCOL]\n";
        return 2;
    }
    std::string text;
    if (!ReadsWithCLibrary(argv[1], text)) {
        std::cerr << "consumer: the C library's open/read/close failed on " << argv[1] << "\n";
        return 1;
    }
    std::cout << "file " << text;
    const std::string protocol = argc > 3 ? argv[3] : "POS2K";
    std::string version;
    GetCurrentVersion(version);

    driver::DeviceHandle handle = nullptr;
    if (!Ok(create(&handle), "create")) return 1;
    driver::LogicDeviceId id = 0;
    bool ok = Ok(add_logic_device(handle, id), "add_logic_device");
    using Field = driver::LogicDeviceParamType;
    for (const auto& [field, value] :
         {std::pair{Field::Name, std::string("consumer")}, std::pair{Field::ConnectionType, std::string("Serial Port")},
          std::pair{Field::EndPoint, std::string(argv[2])}, std::pair{Field::BaudRate, std::string("9600")},
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
