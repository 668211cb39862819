// One weight reading as every caller of the driver sees it, and the protocols it comes from.
// A status command leaves four texts (Weight, WeightState, Tare, UnitOfMeasure); Decode turns them
// into a Reading, once, for every caller: the terminal, scalectl and the C interface. Header-only.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "vocabulary.h"

namespace driver {

// The line is gone: the port could not be used, or the driver closed a port the other end dropped
// (it answers ConnectionError and the port no longer reads as open).
constexpr bool LineLost(ErrorCase ecase, bool portStillOpen) {
    return ecase == ErrorCase::UnableToOpenSerialPort || (ecase == ErrorCase::ConnectionError && !portStillOpen);
}

enum class Protocol { Auto, POS2K, POS2KProV1, CASK, CASKProV1, CASKActive, OKA };

// The names a logic device stores.
inline constexpr std::array<std::pair<Protocol, std::string_view>, 7> kProtocolNames = {{
    {Protocol::Auto, "auto"},
    {Protocol::POS2K, "POS2K"},
    {Protocol::POS2KProV1, "POS2KProV1"},
    {Protocol::CASK, "CAS-K"},
    {Protocol::CASKProV1, "CAS-K ProV1"},
    {Protocol::CASKActive, "CAS-K-Active"},
    {Protocol::OKA, "OKA"},
}};

constexpr std::string_view ProtocolName(Protocol protocol) {
    for (const auto& [known, name] : kProtocolNames)
        if (known == protocol) return name;
    return {};
}

constexpr std::optional<Protocol> ProtocolFromName(std::string_view name) {
    for (const auto& [protocol, known] : kProtocolNames)
        if (known == name) return protocol;
    return std::nullopt;
}

// The protocols of one family report the weight channel alike.
enum class ProtocolFamily { Pos, Cas, Oka, None };

constexpr ProtocolFamily FamilyOf(Protocol protocol) {
    switch (protocol) {
        case Protocol::POS2K:
        case Protocol::POS2KProV1:
            return ProtocolFamily::Pos;
        case Protocol::CASK:
        case Protocol::CASKProV1:
        case Protocol::CASKActive:
            return ProtocolFamily::Cas;
        case Protocol::OKA:
            return ProtocolFamily::Oka;
        case Protocol::Auto:
            break;
    }
    return ProtocolFamily::None;
}

// A name no logic device holds belongs to no family.
constexpr ProtocolFamily FamilyOf(std::string_view protocolName) {
    const std::optional<Protocol> protocol = ProtocolFromName(protocolName);
    return protocol ? FamilyOf(*protocol) : ProtocolFamily::None;
}

// The "Pro" protocols: the scale answers the service protocol as well (its maximum weight, say).
constexpr bool IsPro(Protocol protocol) {
    return protocol == Protocol::POS2KProV1 || protocol == Protocol::CASKProV1;
}

enum class WeightUnit { Kilogram = 0, Gram = 1, Pound = 2 };

// What a status command leaves for get_param.
struct ReadingTexts {
    std::string weight;  // Weight
    std::string state;   // WeightState
    std::string tare;    // Tare (POS, OKA)
    std::string unit;    // UnitOfMeasure
};

struct Reading {
    WeightUnit unit = WeightUnit::Kilogram;
    double weight = 0.0;         // net, in unit
    std::optional<double> tare;  // in unit; none where the protocol reports none
    bool stable = false;
    bool zero = false;
    bool overload = false;

    bool operator==(const Reading&) const = default;
};

namespace reading_detail {

// A number the way a scale's display reads one: leading blanks and a plus sign are allowed.
inline std::optional<double> Number(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

inline std::optional<WeightUnit> CasUnit(std::string_view text) {
    if (text == "kg") return WeightUnit::Kilogram;
    if (text == "g") return WeightUnit::Gram;
    if (text == "lb") return WeightUnit::Pound;
    return std::nullopt;
}

// POS: grams, and the two state bytes as ten "0"/"1" characters. State bit 2 tells which way bits
// 0 and 4 are read; a state too short for the bits read leaves the marks as they were.
inline void DecodePos(const ReadingTexts& texts, std::optional<double> maxWeightKg, Reading& reading) {
    if (texts.weight.empty()) {
        reading.overload = false;
        return;
    }
    const std::optional<double> grams = Number(texts.weight);
    if (!grams) return;
    reading.unit = WeightUnit::Kilogram;
    reading.weight = *grams / 1000.0;
    if (const std::optional<double> tare = Number(texts.tare)) reading.tare = *tare / 1000.0;
    if (maxWeightKg) reading.overload = reading.weight > *maxWeightKg;
    const std::string& s = texts.state;
    if (s.size() < 8) return;
    reading.zero = s[1] == '1';
    const bool unstable = s[2] == '1' ? (s[0] == '0' || s[4] == '0' || s[7] == '1') : (s[0] == '1' || s[4] == '1');
    reading.stable = !unstable;
}

// CAS: the weight as text in the scale's unit; an "F" in it is an overload and nothing else.
inline void DecodeCas(const ReadingTexts& texts, Reading& reading) {
    reading.tare.reset();
    if (texts.weight.find('F') != std::string::npos) {
        reading.overload = true;
        return;
    }
    if (texts.weight.empty()) {
        reading.overload = false;
        return;
    }
    const std::optional<WeightUnit> unit = CasUnit(texts.unit);
    const std::optional<double> value = Number(texts.weight);
    if (unit && value) {
        reading.unit = *unit;
        reading.weight = *value;
    }
    const std::string& s = texts.state;
    if (s.size() < 7) return;
    reading.stable = !(s[0] == '0' || s[4] == '0');
    reading.overload = s[6] == '1';
    reading.zero = reading.weight == 0.0;
}

// OKA: grams and a flag byte in hexadecimal ("0x00" is a settled reading, bit 0x40 an overload).
inline void DecodeOka(const ReadingTexts& texts, Reading& reading) {
    const std::optional<double> grams = Number(texts.weight);
    if (!grams) return;
    reading.unit = WeightUnit::Kilogram;
    reading.weight = *grams / 1000.0;
    if (const std::optional<double> tare = Number(texts.tare)) reading.tare = *tare / 1000.0;
    reading.stable = texts.state == "0x00";
    unsigned flag = 0;
    const std::string& s = texts.state;
    const bool hex = s.size() > 2 && s.starts_with("0x") &&
                     std::from_chars(s.data() + 2, s.data() + s.size(), flag, 16).ec == std::errc{};
    reading.overload = hex && (flag & 0x40) != 0;
    reading.zero = !reading.overload && reading.weight == 0.0;
}

}  // namespace reading_detail

// Updates reading from one status command's texts. Like a display that keeps what it showed, texts
// that carry no value leave the earlier fields in place. maxWeightKg switches overload detection
// from the maximum weight on (POS family).
inline void Decode(ProtocolFamily family, const ReadingTexts& texts, std::optional<double> maxWeightKg,
                   Reading& reading) {
    switch (family) {
        case ProtocolFamily::Pos:
            reading_detail::DecodePos(texts, maxWeightKg, reading);
            break;
        case ProtocolFamily::Cas:
            reading_detail::DecodeCas(texts, reading);
            break;
        case ProtocolFamily::Oka:
            reading_detail::DecodeOka(texts, reading);
            break;
        case ProtocolFamily::None:
            break;
    }
}

// "0" for zero; kilograms and pounds with 3 decimals; grams with up to 6 significant digits.
// Always plain digits, never an exponent: 1234567 g is "1234567".
inline std::string NumberText(double value, WeightUnit unit) {
    if (value == 0.0) return "0";
    int decimals = 3;
    if (unit == WeightUnit::Gram) {
        const double magnitude = std::fabs(value);
        const int integerDigits = magnitude < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
        decimals = std::clamp(6 - integerDigits, 0, 6);
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (unit == WeightUnit::Gram && text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

}  // namespace driver
