#include "access.h"

#include <boost/algorithm/string/predicate.hpp>

#include <algorithm>

namespace ponderixd {

bool SameSecret(std::string_view given, std::string_view expected) {
    unsigned difference = given.size() != expected.size() ? 1u : 0u;
    for (std::size_t i = 0; i < given.size(); ++i) {
        const char other = expected.empty() ? '\0' : expected[i % expected.size()];
        difference |= static_cast<unsigned char>(given[i] ^ other);
    }
    return difference == 0;
}

Access::Access(const ServiceConfig& config) : config_(config) {}

bool Access::Authorized(std::string_view authorization) const {
    if (config_.token.empty()) return true;
    // The scheme's name is case-insensitive, the token is not.
    constexpr std::string_view scheme = "bearer ";
    if (authorization.size() < scheme.size() ||
        !boost::algorithm::iequals(authorization.substr(0, scheme.size()), scheme)) {
        return false;
    }
    return SameSecret(authorization.substr(scheme.size()), config_.token);
}

bool Access::OriginAllowed(std::string_view origin) const {
    if (origin.empty()) return true;
    return std::find(config_.corsOrigins.begin(), config_.corsOrigins.end(), origin) != config_.corsOrigins.end();
}

bool Access::Admit(const std::string& address, std::chrono::steady_clock::time_point now) {
    const double rate = config_.requestsPerSecond;
    // Forget addresses whose buckets have refilled, so the map stays as small as the active clients.
    if (buckets_.size() > 1024) {
        std::erase_if(buckets_, [&](const auto& entry) { return now - entry.second.at > std::chrono::seconds(2); });
    }
    auto [it, added] = buckets_.try_emplace(address, Bucket{rate, now});
    Bucket& bucket = it->second;
    const double elapsed = std::chrono::duration<double>(now - bucket.at).count();
    bucket.tokens = std::min(rate, bucket.tokens + elapsed * rate);
    bucket.at = now;
    if (bucket.tokens < 1.0) return false;
    bucket.tokens -= 1.0;
    return true;
}

}  // namespace ponderixd
