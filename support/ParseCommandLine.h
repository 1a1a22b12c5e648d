#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace merivane {

// A command line refused; what() is the message for the user. Thrown from an option's
// check, it passes through CLI11 as it is (CLI11 rewords only its own ValidationError).
class CommandLineError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads `arguments` (without the program name) with the options declared in `app`, each
// option's check running as the option is read, so that the first malformed argument is
// the one reported. False with `error` set when the command line is refused.
//
// Before CLI11 sees them, the forms that CLI11 2.1 reads otherwise than Merivane's programs
// always have are checked. Refused: an argument before "--" that starts with "-" but names
// no option (the message is `unknownOption` of it; CLI11 takes "-5" for an argument and
// "-yV" for "-y -V"), any other argument when `app` takes none (including "--"), a flag
// with a value ("--json=yes", which CLI11 takes for true or false) and an option without
// its value at the end. "--name=" is an empty value, which CLI11 would take from the next
// argument instead: it is passed on as an argument of its own.
bool ParseCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                      const std::function<std::string(const std::string& argument)>& unknownOption,
                      std::string& error);

}  // namespace merivane
