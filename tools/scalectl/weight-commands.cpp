// weight: reads the weight channel once, N times, or until Ctrl-C.
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "context.h"
#include "ctl-error.h"
#include "driver-session.h"
#include "error-text.h"
#include "interrupt.h"
#include "log-cause.h"
#include "weight-reading.h"

namespace scalectl {

namespace {

using driver::Command;
using driver::ParamType;
using driver::ProtocolFamily;

struct WeightOptions {
    bool watch = false;
    unsigned interval = 200;
    std::optional<unsigned> count;
};

// Overload is judged against the maximum weight only where the service protocol can tell it.
std::optional<double> MaxWeightKg(DriverSession& session, const std::string& protocol) {
    const std::optional<driver::Protocol> known = driver::ProtocolFromName(protocol);
    if (!known || !driver::IsPro(*known)) return std::nullopt;
    try {
        session.Execute(Command::GetMaxWeight);
        const double max = std::stod(session.Param(ParamType::MaxWeight));
        session.Execute(Command::GetRangeOfKeyToZero);
        session.Param(ParamType::RangeOfKeyToZero);
        return max;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

driver::ReadingTexts ReadRaw(DriverSession& session, ProtocolFamily family) {
    session.Execute(Command::StatusOfWeightChannel);
    driver::ReadingTexts raw;
    raw.weight = session.Param(ParamType::Weight);
    raw.state = session.Param(ParamType::WeightState);
    if (family != ProtocolFamily::Cas) raw.tare = session.Param(ParamType::Tare);
    if (family != ProtocolFamily::Pos) raw.unit = session.Param(ParamType::UnitOfMeasure);
    return raw;
}

std::string HumanLine(const driver::Reading& reading) {
    const auto unit = std::string(UnitWord(reading.unit));
    char line[160];
    std::snprintf(line, sizeof line, "%10s %-2s  tare %9s %-2s  %s%s%s",
                  driver::NumberText(reading.weight, reading.unit).c_str(), unit.c_str(),
                  reading.tare ? driver::NumberText(*reading.tare, reading.unit).c_str() : "-",
                  reading.tare ? unit.c_str() : "", reading.stable ? "stable" : "unstable",
                  reading.zero ? "  zero" : "", reading.overload ? "  OVERLOAD" : "");
    return line;
}

JsonLine JsonReading(const driver::Reading& reading) {
    JsonLine json;
    json.Number("weight", reading.weight)
        .NumberOrNull("tare", reading.tare)
        .Text("unit", UnitWord(reading.unit))
        .Bool("stable", reading.stable)
        .Bool("zero", reading.zero)
        .Bool("overload", reading.overload);
    return json;
}

// --watch keeps watching: a bad reading is one line, a lost line is reopened once a second.
// True when the line is lost.
bool ReportWatchError(const Context& context, const CtlError& error, DriverSession& session) {
    const auto ecase = error.ecase();
    const auto language = context.options.Language();
    if (driver::LineLost(ecase, ecase != driver::ErrorCase::ConnectionError || session.IsOpen())) {
        std::cerr << ErrorLine(ecase, language, EscapeControls(error.cause()))
                  << "; the line is lost, reopening once a second" << std::endl;
        return true;
    }
    if (context.options.json)
        std::cout << ErrorJson(ecase, language, EscapeControls(error.cause())).str() << std::endl;
    else
        std::cerr << ErrorLine(ecase, language, EscapeControls(error.cause())) << std::endl;
    return false;
}

void ReadWeight(const Context& context, const WeightOptions& options) {
    if (options.count && *options.count == 0) throw UsageError("--count must be at least 1");
    // --watch without --count reads until Ctrl-C.
    const bool endless = options.watch && !options.count;
    const unsigned count = options.count.value_or(1);
    // In a terminal --watch keeps one line up to date; into a pipe every reading is a line of its own.
    const bool redraw = options.watch && !context.options.json && isatty(STDOUT_FILENO) == 1;

    DriverSession session;
    InterruptGuard interrupt;
    ScaleConnection scale(session, context.options.device);
    const auto protocol = session.Protocol();
    const auto family = driver::FamilyOf(protocol);
    if (family == ProtocolFamily::None) {
        throw CtlError(driver::ErrorCase::CommandUnsupported, "no weight channel for protocol \"" + protocol + "\"");
    }
    const auto maxWeight = MaxWeightKg(session, protocol);

    driver::Reading reading;
    bool drawn = false;
    bool lost = false;
    const auto endLine = [&] {
        if (drawn) std::cout << std::endl;
        drawn = false;
    };
    for (unsigned done = 0; endless || done < count; ++done) {
        if (done > 0) SleepUnlessInterrupted(std::chrono::milliseconds(lost ? 1000u : options.interval));
        if (InterruptGuard::Requested()) break;
        try {
            if (lost) {
                session.Close();
                session.Open(scale.id());
                lost = false;
                endLine();
                std::cerr << "the scale answers again" << std::endl;
            }
            driver::Decode(family, ReadRaw(session, family), maxWeight, reading);
        } catch (const CtlError& error) {
            endLine();
            if (!options.watch) throw;
            if (lost) continue;  // still gone: one line said so
            lost = ReportWatchError(context, error, session);
            continue;
        } catch (...) {
            endLine();
            throw;
        }
        if (redraw) {
            std::cout << '\r' << HumanLine(reading) << "\x1b[K" << std::flush;
            drawn = true;
        } else {
            context.Emit(JsonReading(reading), HumanLine(reading));
        }
    }
    endLine();
}

}  // namespace

void AddWeightCommands(CLI::App& app, Context& context) {
    auto options = std::make_shared<WeightOptions>();
    auto* weight = app.add_subcommand("weight", "Read the weight channel: weight, tare, unit, stable, zero, overload");
    weight->add_flag("--watch", options->watch, "Keep reading until Ctrl-C");
    weight->add_option("--interval", options->interval, "Pause between readings in ms")->capture_default_str();
    weight->add_option("--count", options->count, "Number of readings (default 1, or endless with --watch)");
    weight->callback([&context, options] { context.action = [&context, options] { ReadWeight(context, *options); }; });
}

}  // namespace scalectl
