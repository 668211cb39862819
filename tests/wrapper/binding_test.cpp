// The Library binding against the real libdriver.so: all 25 exports by plain name, and a
// library loaded with RTLD_GLOBAL that leaves the process's own open/close alone.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

#include "cpp-wrapper.h"
#include "support/sim-process.h"
#include "support/temp-dir.h"

namespace {

using namespace Norvell::Balvex::CppWrapper;

ErrorCase Code(std::int32_t code) {
    return static_cast<ErrorCase>(code);
}

// Describes the simulator as a new logic device and opens it; returns that logic device's id.
LogicDeviceId OpenOn(Library& lib, DeviceHandle& handle, const std::string& port) {
    LogicDeviceId id = 0;
    EXPECT_EQ(Code(lib.add_logic_device(handle, id)), ErrorCase::Correct);
    using P = LogicDeviceParamType;
    for (const auto& [type, value] :
         {std::pair{P::Name, std::string("binding")}, std::pair{P::ConnectionType, std::string("Serial Port")},
          std::pair{P::EndPoint, port}, std::pair{P::BaudRate, std::string("9600")},
          std::pair{P::Model, std::string("auto")}, std::pair{P::Protocol, std::string("auto")}}) {
        EXPECT_EQ(Code(lib.set_logic_device_param(handle, id, type, value)), ErrorCase::Correct);
    }
    EXPECT_EQ(Code(lib.open(&handle, id)), ErrorCase::Correct);
    return id;
}

TEST(LibraryBinding, PlainNamesReachTheDriverAndLeaveTheProcessOwnOpenAndClose) {
    // Loaded globally first, as a careless host might: its "open" must not replace the C library's.
    void* global = dlopen(DRIVER_LIBRARY_PATH, RTLD_NOW | RTLD_GLOBAL);
    ASSERT_NE(global, nullptr) << dlerror();
    auto lib = Open(DRIVER_LIBRARY_PATH);
    EXPECT_EQ(reinterpret_cast<void*>(lib->open), dlsym(global, "open"));
    EXPECT_NE(reinterpret_cast<void*>(lib->open), dlsym(RTLD_DEFAULT, "open"));

    testsupport::SimProcess sim({"--protocol", "pos", "--pro"});
    ASSERT_TRUE(sim.started());
    sim.Control({"weight 321", "stable 1"});
    const testsupport::ScopedAppData appData;  // its logic devices stay out of the facade's file
    DeviceHandle handle = nullptr;
    ASSERT_EQ(Code(lib->create(&handle)), ErrorCase::Correct);
    OpenOn(*lib, handle, sim.endpoint());
    bool open = false;
    EXPECT_EQ(Code(lib->is_open(&handle, open)), ErrorCase::Correct);
    EXPECT_TRUE(open);
    const Command status = Command::StatusOfWeightChannel;
    ASSERT_EQ(Code(lib->execute_command(handle, status)), ErrorCase::Correct);
    std::string weight;
    EXPECT_EQ(Code(lib->get_param(handle, ParamType::Weight, weight)), ErrorCase::Correct);
    EXPECT_EQ(weight, "321");
    EXPECT_EQ(Code(lib->close(&handle)), ErrorCase::Correct);
    EXPECT_EQ(Code(lib->destroy(&handle)), ErrorCase::Correct);

    testsupport::TempDir dir;
    const std::string file = (dir.path() / "own-file").string();
    const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::write(fd, "x", 1), 1);
    EXPECT_EQ(::close(fd), 0);
    EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "the descriptor is still open";
    dlclose(global);
}

// The text of the exception of type E that binding the library at `path` throws.
template <class E>
std::string OpenError(const char* path) {
    try {
        Open(path);
    } catch (const E& error) {
        return error.what();
    }
    return "no exception";
}

TEST(LibraryBinding, OpenNamesWhatWentWrong) {
    const std::string prefix = "Norvell::Balvex::CppWrapper::cpp-wrapper, , void Open(...), ";
    EXPECT_EQ(OpenError<std::logic_error>("/nonexistent/libdriver.so"),
              prefix + "Can't find library by path { /nonexistent/libdriver.so }");
    // A library without the driver's exports.
    EXPECT_EQ(OpenError<std::runtime_error>(FACADE_LIBRARY_PATH),
              "[cpp-wrapper]: Library::Library(), method create() not found");
    // The process-wide instance is found by name; after it exists, Open refuses.
    EXPECT_NE(GetLibrary().create, nullptr);
    EXPECT_EQ(OpenError<std::logic_error>(DRIVER_LIBRARY_PATH), prefix + "library is already open, can't reopen.");
    const auto [path, code] = LoggingPath();
    EXPECT_EQ(code, ErrorCase::Correct);
    EXPECT_NE(path.find("NORVELL/Ponderix/logs"), std::string::npos) << path;
    EXPECT_EQ(ErrorCaseDescription(ErrorCase::ConnectionError), L"Ошибка подключения");
}

}  // namespace
