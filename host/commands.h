// Commands from a second instance: "BLACKBOX.EXE [-time] -exec @Command args",
// "BLACKBOX.EXE [-time] -reconfigure" and "BLACKBOX.EXE -quit". The second instance finds
// the running shell by its main window's class and hands the command over with WM_COPYDATA.
#pragma once
#include <windows.h>

#include <string>

enum class CommandKind { run_shell, exec, reconfigure, quit, invalid };

struct Command {
    CommandKind kind = CommandKind::run_shell;
    bool timed = false;     // the shell measures its delivery and the sender prints it
    std::string text;       // for exec: the command text; for invalid: what is wrong
};

// Reads the command from the whole command line, program name included. The text of -exec
// is everything after "-exec" and the one blank that ends it, exactly as written.
Command parse_command_line(const char *command_line);

// The sender's side: answers the process exit code (0 delivered, 1 no shell running,
// 3 the shell did not take it).
int send_to_running_shell(const Command &command);

// The running shell's side of WM_COPYDATA. Answers 0 for data that is not a command, the
// delivery's time in microseconds for a timed command, and 1 otherwise.
LRESULT run_command(const COPYDATASTRUCT *data);
