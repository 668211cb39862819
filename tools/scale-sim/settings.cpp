#include "settings.h"

namespace scale_sim {

Settings::Settings()
    : entries_{
          {"mode", "A7", true},       {"ver1", "ZA01", true}, {"ver2", "v1.05", false}, {"prov", "1", true},
          {"sern", "12345678", true}, {"max", "015", true},   {"div", "1", true},       {"azr", "1", true},
          {"azt", "1", true},         {"pzr", "2", true},     {"kzr", "2", true},       {"ktr", "1", true},
          {"ovr", "9", true},         {"off", "0", true},     {"bkl", "3", true},       {"cal", "0015", true},
          {"cnt", "0", false},        {"modc", "0", true},    {"u2en", "0", true},      {"u3en", "0", true},
          {"sav", "0", true},         {"cell1", "0", true},   {"cell2", "0", true},
      } {}

const Settings::Entry* Settings::Find(std::string_view key) const {
    for (const Entry& e : entries_)
        if (e.key == key) return &e;
    return nullptr;
}

Settings::Entry* Settings::Find(std::string_view key) {
    return const_cast<Entry*>(static_cast<const Settings*>(this)->Find(key));
}

std::optional<std::string> Settings::Get(std::string_view key) const {
    const Entry* e = Find(key);
    if (e == nullptr) return std::nullopt;
    return e->value;
}

bool Settings::WritableByHost(std::string_view key) const {
    const Entry* e = Find(key);
    return e != nullptr && e->host_writable;
}

bool Settings::Set(std::string_view key, std::string value) {
    Entry* e = Find(key);
    if (e == nullptr) return false;
    e->value = std::move(value);
    return true;
}

std::vector<std::string> Settings::Keys() const {
    std::vector<std::string> keys;
    for (const Entry& e : entries_) keys.push_back(e.key);
    return keys;
}

}  // namespace scale_sim
