// scalectl: the driver's exports from the command line.
#include <CLI/CLI.hpp>

#include <iostream>

#include "context.h"
#include "ctl-error.h"
#include "error-text.h"
#include "log-cause.h"

namespace {

// One line on standard error: the code, its description and the cause; with --json also one object on
// standard output, so a script reading the results sees the failure in the same stream.
int Fail(const scalectl::Context& context, driver::ErrorCase ecase, const std::string& cause) {
    const std::string shown = scalectl::EscapeControls(cause);
    if (context.options.json) {
        std::cout << scalectl::ErrorJson(ecase, context.options.Language(), shown).str() << '\n';
    }
    std::cout.flush();
    std::cerr << scalectl::ErrorLine(ecase, context.options.Language(), shown) << std::endl;
    return scalectl::ExitStatus(ecase);
}

// A word that names no subcommand is reported as such, not as a missing subcommand.
std::string ParseErrorText(const CLI::App& app, const CLI::ParseError& error) {
    const CLI::App* deepest = &app;
    for (auto* sub = app.get_subcommands().empty() ? nullptr : app.get_subcommands().front(); sub != nullptr;
         sub = sub->get_subcommands().empty() ? nullptr : sub->get_subcommands().front()) {
        deepest = sub;
    }
    auto extra = deepest->remaining();
    if (extra.empty()) extra = app.remaining();  // handed up to the top by fallthrough
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr && !extra.empty() &&
        !deepest->get_subcommands([](const CLI::App*) { return true; }).empty()) {
        return "unknown subcommand \"" + extra.front() + "\"";
    }
    return error.what();
}

}  // namespace

int main(int argc, char** argv) {
    scalectl::Context context;
    CLI::App app{"Talks to a scale through the driver: logic devices, weight, settings, calibration.", "scalectl"};
    app.footer(
        "From a program: C through libponderix.so (<ponderix/ponderix.h>, pkg-config ponderix),\n"
        "Python through the package ponderix (python3 -c \"import ponderix\"); README.md, sections\n"
        "\"From C\" and \"From Python\", has examples (installed: /usr/share/doc/ponderix).");
    app.require_subcommand(1);
    // Global options may also follow the subcommand.
    app.fallthrough();
    app.add_option("--device", context.options.device, "Logic device id (default: the current one)");
    app.add_flag("--json", context.options.json, "One JSON object per reading or result, one per line");
    app.add_option("--lang", context.options.lang, "Language of error texts")
        ->check(CLI::IsMember({"en", "ru"}))
        ->capture_default_str();

    scalectl::AddDeviceCommands(app, context);
    scalectl::AddScaleCommands(app, context);
    scalectl::AddWeightCommands(app, context);
    scalectl::AddInfoCommands(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);  // --help
        return Fail(context, driver::ErrorCase::CommandLineIncorrectArgument, ParseErrorText(app, e));
    }

    try {
        context.action();
        return 0;
    } catch (const scalectl::CtlError& e) {
        return Fail(context, e.ecase(), e.cause());
    } catch (const std::exception& e) {
        return Fail(context, driver::ErrorCase::UnknownExceptionWasCaught, e.what());
    }
}
