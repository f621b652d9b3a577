// meru-driver: drives the updater's dialog window from outside, for the
// end-to-end tests under Wine. One action per run:
//
//   meru-driver <command> [arguments...]
//
// The result is printed on standard output (plain text, LF line ends);
// exit code 0 on success, 1 when the action fails or a wait runs out of
// time (the reason on standard error), 2 for a wrong command line.
// Windows are named by their exact title; controls by their decimal id.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "CommandArguments.h"
#include "Commands.h"
#include "DriverErrors.h"

namespace {

using meru::driver::CommandArguments;

struct CommandEntry {
    const char* name;
    const char* arguments;
    size_t required;  // arguments that must be there
    size_t optional;  // arguments that may follow
    void (*run)(const CommandArguments&);
};

// SECS is a time limit in seconds, 20 when left out. BOX is "-" (any
// message box), a box's caption or the title of the box's owner window.
constexpr CommandEntry kCommands[] = {
    {"wait-window", "TITLE [SECS]", 1, 1, meru::driver::RunWaitWindow},
    {"wait-visible", "TITLE [SECS]", 1, 1, meru::driver::RunWaitVisible},
    {"wait-gone", "TITLE [SECS]", 1, 1, meru::driver::RunWaitGone},
    {"pid", "TITLE", 1, 0, meru::driver::RunPid},
    {"focus", "TITLE", 1, 0, meru::driver::RunFocus},
    {"controls", "TITLE", 1, 0, meru::driver::RunControls},
    {"text", "TITLE ID", 2, 0, meru::driver::RunText},
    {"wait-text", "TITLE ID PART [SECS]", 3, 1, meru::driver::RunWaitText},
    {"state", "TITLE ID", 2, 0, meru::driver::RunState},
    {"wait-state", "TITLE ID visible|hidden|enabled|disabled [SECS]", 3, 1, meru::driver::RunWaitState},
    {"checked", "TITLE ID", 2, 0, meru::driver::RunChecked},
    {"list-count", "TITLE ID", 2, 0, meru::driver::RunListCount},
    {"list-items", "TITLE ID", 2, 0, meru::driver::RunListItems},
    {"settext", "TITLE ID TEXT", 3, 0, meru::driver::RunSetText},
    {"clipboard", "", 0, 0, meru::driver::RunClipboard},
    {"command", "TITLE ID", 2, 0, meru::driver::RunCommand},
    {"syscommand", "TITLE ID", 2, 0, meru::driver::RunSysCommand},
    {"click", "TITLE ID", 2, 0, meru::driver::RunClick},
    {"close", "TITLE", 1, 0, meru::driver::RunClose},
    {"dialog-wait", "CAPTION [SECS]", 1, 1, meru::driver::RunDialogWait},
    {"dialog-text", "CAPTION ID", 2, 0, meru::driver::RunDialogText},
    {"box-wait", "BOX [SECS]", 1, 1, meru::driver::RunBoxWait},
    {"box-buttons", "BOX [SECS]", 1, 1, meru::driver::RunBoxButtons},
    {"box-press", "BOX BUTTON [SECS]", 2, 1, meru::driver::RunBoxPress},
};

void PrintUsage(FILE* out) {
    std::fprintf(out, "usage: meru-driver <command> [arguments...]\n");
    for (const CommandEntry& command : kCommands) std::fprintf(out, "  %-12s %s\n", command.name, command.arguments);
    std::fprintf(out,
                 "TITLE: exact window title; ID: control or command id (decimal or 0x hex);\n"
                 "SECS: time limit in seconds (default 20); BOX: \"-\" for any message box,\n"
                 "or the box's caption, or the title of the window that owns it;\n"
                 "BUTTON: OK, Cancel, Yes, No, Retry... or a button text or id;\n"
                 "TEXT: a control's new text, as one argument.\n");
}

const CommandEntry* FindCommand(const char* name) {
    for (const CommandEntry& command : kCommands) {
        if (std::strcmp(command.name, name) == 0) return &command;
    }
    return nullptr;
}

// A command line that names no known command: the whole usage.
int Usage(const std::string& problem) {
    std::fprintf(stderr, "meru-driver: %s\n", problem.c_str());
    PrintUsage(stderr);
    return 2;
}

// A known command with wrong arguments: that command's usage line.
int CommandUsage(const CommandEntry& command, const std::string& problem) {
    std::fprintf(stderr, "meru-driver %s: %s\nusage: meru-driver %s %s\n", command.name, problem.c_str(),
                 command.name, command.arguments);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // LF line ends for the scripts that read the output, not CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    if (argc < 2) return Usage("no command");
    if (std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    const CommandEntry* command = FindCommand(argv[1]);
    if (command == nullptr) return Usage(std::string("unknown command \"") + argv[1] + "\"");
    const size_t given = static_cast<size_t>(argc - 2);
    if (given < command->required || given > command->required + command->optional) {
        return CommandUsage(*command, "wrong number of arguments");
    }

    try {
        command->run(CommandArguments(std::vector<std::string>(argv + 2, argv + argc)));
    } catch (const meru::driver::UsageError& error) {
        return CommandUsage(*command, error.what());
    } catch (const meru::driver::DriverFailure& error) {
        std::fprintf(stderr, "meru-driver %s: %s\n", command->name, error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "meru-driver %s: unexpected error: %s\n", command->name, error.what());
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
