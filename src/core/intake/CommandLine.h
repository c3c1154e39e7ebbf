#pragma once

#include <string>
#include <vector>

namespace vistrel::commandline {

// What the program is asked to do by its arguments.
enum class Action {
    run,         // show `files` (none is fine)
    showHelp,    // print usage() and exit successfully
    showVersion, // print the version and exit successfully
    fail,        // print `error` to the error stream and exit with status 2
};

struct Request {
    Action action = Action::run;
    // A viewer of its own, even when one is already running on this display.
    bool newWindow = false;
    // The arguments naming files, folders or file URLs, as given (native bytes).
    std::vector<std::string> files;
    // For `fail`: the whole message, lines ended by '\n'.
    std::string error;
};

// `arguments` are the program's arguments without its own name, as the bytes the
// system passed. Options come anywhere before "--"; after it every argument is a
// file, and so is a lone "-" and anything not starting with '-'.
Request parse(const std::vector<std::string>& arguments);

// The text --help prints.
std::string usage();

} // namespace vistrel::commandline
