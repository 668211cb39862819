// weighdesk: checks the facade beside the program, loads that very file for good, then runs the
// window library from the same folder. The window library names libpermanent.so among its needed
// libraries; the loader matches that name to the facade already loaded (its SONAME), so no other
// copy, not even one on LD_LIBRARY_PATH, is ever used.
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "facade-hash.h"
#include "platform.h"
#include "port-argument.h"
#include "startup-check.h"
#include "terminal-entry.h"

int main(int argc, char* argv[]) {
    switch (weighdesk::CheckFacadeLibrary(weighdesk::kFacadeSha256)) {
        case weighdesk::StartupCheck::LibraryNotLoadable:
            return 1;
        case weighdesk::StartupCheck::IntegrityFailed:
            weighdesk::PrintIntegrityError();
            return 0;
        case weighdesk::StartupCheck::Passed:
            break;
    }
    namespace platform = weighdesk::platform;
    const std::filesystem::path folder = platform::ExecutableFolder();
    void* facade = nullptr;
    if (const auto failure = platform::LoadForGood(folder / weighdesk::kFacadeLibrary, facade)) {
        weighdesk::PrintLoadFailure(*failure);
        return 1;
    }
    void* window = nullptr;
    if (const auto failure = platform::LoadForGood(folder / weighdesk::kWindowLibrary, window)) {
        weighdesk::PrintLoadFailure(*failure);
        return 1;
    }
    std::string missing;
    errno = 0;
    void* entry = platform::FindSymbol(window, weighdesk::kWindowEntry, missing);
    if (entry == nullptr) {
        weighdesk::PrintLoadFailure({errno, missing});
        return 1;
    }
    // The port is read from the command line as given, before Qt takes its own options out.
    const std::string port = weighdesk::PortFromArguments(std::vector<std::string>(argv, argv + argc));
    return reinterpret_cast<weighdesk::WindowEntry>(entry)(&argc, argv, port.c_str());
}
