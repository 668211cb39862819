#include "store/app-data.h"

#include <cstdlib>

namespace driver {

namespace {
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
}  // namespace

std::string AppDataRoot() {
    if (auto appdata = Env("APPDATA"); !appdata.empty()) return appdata;
    if (auto xdg = Env("XDG_DATA_HOME"); !xdg.empty()) return xdg;
    if (auto home = Env("HOME"); !home.empty()) return home + "/.local/share";
    return {};
}

std::string PonderixFolder() {
    return AppDataRoot() + "/NORVELL/Ponderix";
}

}  // namespace driver
