// Who may ask: the bearer token, the allowed browser origins and the request rate per address.
#pragma once

#include "service-config.h"

#include <chrono>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ponderixd {

// Compares in time that depends on the lengths only, so the token cannot be guessed byte by byte.
bool SameSecret(std::string_view given, std::string_view expected);

class Access {
public:
    explicit Access(const ServiceConfig& config);

    // The Authorization header's value; true when no token is configured.
    bool Authorized(std::string_view authorization) const;
    // No Origin header (not a browser) or one of the configured origins.
    bool OriginAllowed(std::string_view origin) const;
    // A token bucket per client address; used from the server's one thread.
    bool Admit(const std::string& address, std::chrono::steady_clock::time_point now);

private:
    struct Bucket {
        double tokens;
        std::chrono::steady_clock::time_point at;
    };

    const ServiceConfig& config_;
    std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace ponderixd
