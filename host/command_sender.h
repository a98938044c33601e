// The second instance's side of the command channel (command_message.h): reading the
// command from "BLACKBOX.EXE [-time] -exec @Command args", "BLACKBOX.EXE [-time] -reconfigure"
// or "BLACKBOX.EXE -quit" and handing it to the running shell.
#pragma once
#include <string>

#include "command_message.h"

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
