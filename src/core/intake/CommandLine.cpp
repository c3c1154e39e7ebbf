#include "core/intake/CommandLine.h"

#include <string_view>

namespace vistrel::commandline {

namespace {

bool isOption(std::string_view argument) {
    return argument.size() > 1 && argument.front() == '-';
}

Request failure(std::string_view option) {
    Request request;
    request.action = Action::fail;
    request.error = "vistrel: unknown option '" + std::string(option) + "'\nTry 'vistrel --help'.\n";
    return request;
}

} // namespace

Request parse(const std::vector<std::string>& arguments) {
    Request request;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || !isOption(argument)) {
            request.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            request.action = Action::showHelp;
            return request;
        } else if (argument == "--version") {
            request.action = Action::showVersion;
            return request;
        } else if (argument == "--new-window") {
            request.newWindow = true;
        } else {
            return failure(argument);
        }
    }
    return request;
}

std::string usage() {
    return "Usage: vistrel [OPTION]... [FILE|FOLDER|URL]...\n"
           "Show pictures and movies full screen, one at a time.\n"
           "\n"
           "Files and folders are added to the play list and the first one added is shown;\n"
           "folders are searched for pictures and movies at any depth, and a play list file\n"
           "is loaded. When a viewer already runs on this display, the files are handed to\n"
           "it and this command ends at once.\n"
           "\n"
           "  --new-window  open a viewer of its own even when one is running\n"
           "  -h, --help    show this help and exit\n"
           "  --version     show the version and exit\n"
           "  --            end of options: every later argument is a file\n";
}

} // namespace vistrel::commandline
