#include "support/ParseCommandLine.h"

#include <CLI/CLI.hpp>

namespace merivane {
namespace {

// The arguments for CLI::App::parse (last first, as it takes them) up to the first one
// refused, and why that one is refused (empty when none is).
struct Checked {
    std::vector<std::string> arguments;
    std::string refusal;
};

Checked CheckForms(const CLI::App& app, const std::vector<std::string>& arguments,
                   const std::function<std::string(const std::string&)>& unknownOption) {
    const bool takesArguments =
        !app.get_options([](const CLI::Option* option) { return option->get_positional(); })
             .empty();
    std::vector<std::string> out;
    const auto refused = [&out](std::string why) -> Checked {
        return {{out.rbegin(), out.rend()}, std::move(why)};
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-' || argument == "--") {
            if (!takesArguments) return refused(unknownOption(argument));
            optionsEnded = optionsEnded || argument == "--";
            out.push_back(argument);
            continue;
        }
        const size_t equals = argument.starts_with("--") ? argument.find('=') : std::string::npos;
        const bool hasValue = equals != std::string::npos;
        const std::string name = argument.substr(0, equals);
        const CLI::Option* option = app.get_option_no_throw(name);
        if (option == nullptr) return refused(unknownOption(argument));
        const bool takesValue = option->get_expected_max() > 0;
        if (!takesValue && hasValue) return refused(name + " takes no value");
        if (takesValue && !hasValue && i + 1 == arguments.size())
            return refused(name + " needs a value");
        if (hasValue && equals + 1 == argument.size()) {
            out.push_back(name);
            out.emplace_back();
        } else {
            out.push_back(argument);
            if (takesValue && !hasValue) out.push_back(arguments[++i]);
        }
    }
    return refused({});
}

}  // namespace

bool ParseCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                      const std::function<std::string(const std::string& argument)>& unknownOption,
                      std::string& error) {
    for (CLI::Option* option : app.get_options()) option->trigger_on_parse();
    Checked checked = CheckForms(app, arguments, unknownOption);
    try {
        app.parse(checked.arguments);
    } catch (const std::runtime_error& refused) {  // a CommandLineError or CLI11's own
        error = refused.what();
        return false;
    }
    error = checked.refusal;
    return error.empty();
}

}  // namespace merivane
