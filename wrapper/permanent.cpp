// The facade over libdriver.so: one device handle, logic device m_device_id, one lock.
#include "permanent.h"

#include <algorithm>
#include <iostream>
#include <vector>

#include "cpp-wrapper.h"
#include "driver/error-names.h"

namespace Norvell::Balvex::CppWrapper {

namespace {

std::recursive_mutex& FacadeMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

ErrorCase Code(std::int32_t code) {
    return static_cast<ErrorCase>(code);
}

// What logic device m_device_id holds when the file lacks it: the driver's own defaults.
struct DefaultValue {
    LogicDeviceParamType type;
    const char* value;
};
constexpr DefaultValue kDefaults[] = {
    {LogicDeviceParamType::Name, "default name"},   {LogicDeviceParamType::ConnectionType, "Serial Port"},
    {LogicDeviceParamType::EndPoint, "/dev/ttyS0"}, {LogicDeviceParamType::BaudRate, "9600"},
    {LogicDeviceParamType::Model, "auto"},          {LogicDeviceParamType::Protocol, "auto"},
};

}  // namespace

class DriverBackend {
public:
    explicit DriverBackend(Library& library) : lib_(library) {
        if (Code(lib_.create(&handle_)) != ErrorCase::Correct || handle_ == nullptr) {
            throw std::runtime_error("libdriver.so could not create a device");
        }
        EnsureLogicDevice();
    }
    // The device is left to the driver: the facade lives until the process ends, and by then the
    // driver's registry may already be gone; the registry closes and destroys its devices itself.
    virtual ~DriverBackend() = default;
    DriverBackend(const DriverBackend&) = delete;
    DriverBackend& operator=(const DriverBackend&) = delete;

    Library& lib() { return lib_; }
    DeviceHandle handle() const { return handle_; }
    DeviceHandle* handleAddress() { return &handle_; }

private:
    void EnsureLogicDevice() {
        std::vector<LogicDeviceId> ids;
        lib_.get_all_sorted_logic_device_id(handle_, ids);
        if (std::find(ids.begin(), ids.end(), Driver::m_device_id) != ids.end()) return;
        LogicDeviceId id = 0;
        const ErrorCase added = Code(lib_.add_logic_device(handle_, id));
        if (added != ErrorCase::Correct || id != Driver::m_device_id) {
            std::cerr << "Ponderix: logic device " << Driver::m_device_id << " could not be added\n";
            return;
        }
        for (const auto& entry : kDefaults) {
            lib_.set_logic_device_param(handle_, id, entry.type, entry.value);
        }
    }

    Library& lib_;
    DeviceHandle handle_ = nullptr;
};

namespace {

// Runs one facade call under the lock; nothing escapes, and an unbound library or an
// exception is a failure code rather than Correct.
template <typename Result, typename Work>
Result Guarded(bool ready, DriverBackend* backend, ErrorCase& ecase, Work&& work) {
    std::lock_guard lock(FacadeMutex());
    try {
        if (!ready || backend == nullptr) {
            ecase = ErrorCase::UnknownExceptionWasCaught;
            return Result();
        }
        return work(*backend);
    } catch (...) {
        ecase = ErrorCase::UnknownExceptionWasCaught;
        return Result();
    }
}

}  // namespace

Driver::Driver() : m_ready(false), m_impl() {}

Driver::~Driver() = default;

Driver& Driver::getInstanceLib() {
    // The binding's holder is created first so that it outlives the facade: the facade's
    // destructor still calls into libdriver.so.
    Detail::StoredLibrary();
    static Driver instance;
    static std::once_flag bound;
    std::call_once(bound, [] {
        std::lock_guard lock(FacadeMutex());
        try {
            instance.m_impl = std::make_unique<DriverBackend>(GetLibrary());
            instance.m_ready = true;
        } catch (const std::exception& error) {
            std::cerr << error.what() << std::endl;
        } catch (...) {
            std::cerr << "Ponderix: libdriver.so could not be bound" << std::endl;
        }
    });
    return instance;
}

std::unique_lock<std::recursive_mutex> Driver::lockUnit() {
    return std::unique_lock(FacadeMutex());
}

void Driver::openPort(ErrorCase& ecase) {
    Guarded<int>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        ecase = Code(b.lib().open(b.handleAddress(), m_device_id));
        return 0;
    });
}

void Driver::closePort(ErrorCase& ecase) {
    Guarded<int>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        ecase = Code(b.lib().close(b.handleAddress()));
        return 0;
    });
}

bool Driver::isPortOpen(ErrorCase& ecase) {
    return Guarded<bool>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        bool open = false;
        ecase = Code(b.lib().is_open(b.handleAddress(), open));
        return open;
    });
}

void Driver::exeCommand(const Command& command, ErrorCase& ecase) {
    Guarded<int>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        ecase = Code(b.lib().execute_command(b.handle(), command));
        return 0;
    });
}

std::string Driver::exeGettingCommand(const Command& command, const ParamType& ptype, ErrorCase& ecase) {
    return Guarded<std::string>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        std::string value;
        ecase = Code(b.lib().execute_command(b.handle(), command));
        if (ecase == ErrorCase::Correct) ecase = Code(b.lib().get_param(b.handle(), ptype, value));
        return value;
    });
}

void Driver::exeSettingCommand(const Command& command, const ParamType& ptype, const std::string& value,
                               ErrorCase& ecase) {
    Guarded<int>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        ecase = Code(b.lib().set_param(b.handle(), ptype, value));
        if (ecase == ErrorCase::Correct) ecase = Code(b.lib().execute_command(b.handle(), command));
        return 0;
    });
}

std::string Driver::gettingParam(const ParamType& ptype, ErrorCase& ecase) {
    return Guarded<std::string>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        std::string value;
        ecase = Code(b.lib().get_param(b.handle(), ptype, value));
        return value;
    });
}

std::string Driver::getConnectionParam(LogicDeviceParamType ptype, ErrorCase& ecase) {
    return Guarded<std::string>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        std::string value;
        ecase = Code(b.lib().get_logic_device_param(b.handle(), m_device_id, ptype, value));
        return value;
    });
}

void Driver::setConnectionParam(LogicDeviceParamType ptype, const std::string& value, ErrorCase& ecase) {
    Guarded<int>(m_ready, m_impl.get(), ecase, [&](DriverBackend& b) {
        ecase = Code(b.lib().set_logic_device_param(b.handle(), m_device_id, ptype, value));
        return 0;
    });
}

std::string Driver::errorCaseName(ErrorCase ecase) {
    return std::string(driver::ErrorCaseName(ecase));
}

std::wstring Driver::errorCaseDescription(ErrorCase ecase) {
    return m_ready ? ErrorCaseDescription(ecase) : std::wstring();
}

std::string Driver::loggingPath(ErrorCase& ecase) {
    if (!m_ready) {
        ecase = ErrorCase::UnknownExceptionWasCaught;
        return std::string();
    }
    auto [path, code] = LoggingPath();
    ecase = code;
    return path;
}

}  // namespace Norvell::Balvex::CppWrapper
