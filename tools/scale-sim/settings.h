#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scale_sim {

// The scale's table of service settings, keyed by the short names of the service protocol.
// Values are kept as the text the scale shows; the protocol has no number format of its own.
class Settings {
public:
    Settings();

    bool Known(std::string_view key) const { return Find(key) != nullptr; }
    std::optional<std::string> Get(std::string_view key) const;

    // What the service line may change: keys the scale lets a host write.
    bool WritableByHost(std::string_view key) const;

    // Sets any known key (control side and the scale's own bookkeeping); false for an unknown key.
    bool Set(std::string_view key, std::string value);

    std::vector<std::string> Keys() const;

private:
    struct Entry {
        std::string key;
        std::string value;
        bool host_writable;
    };
    const Entry* Find(std::string_view key) const;
    Entry* Find(std::string_view key);

    std::vector<Entry> entries_;
};

}  // namespace scale_sim
