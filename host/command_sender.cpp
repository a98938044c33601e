#include "command_sender.h"

#include <algorithm>

#include "../common/text.h"
#include "output.h"

// A plug-in's pass over many windows under Wine can take seconds; a shell that stops
// pumping messages is given up on sooner through SMTO_ABORTIFHUNG.
static const UINT ANSWER_TIMEOUT_MS = 120000;

// The next word of text from *at on, upper-cased, or "" at the end; *at moves past it.
static std::string next_word(const std::string &text, size_t *at)
{
    size_t start = std::min(text.find_first_not_of(" \t", *at), text.size());
    *at = std::min(text.find_first_of(" \t", start), text.size());
    std::string word = text.substr(start, *at - start);
    fold(&word[0]);
    return word;
}

static Command invalid(const char *problem)
{
    return Command{CommandKind::invalid, false, problem};
}

Command parse_command_line(const char *command_line)
{
    std::string text = command_line ? command_line : "";
    size_t at = 0;
    if (text[0] == '"')   // a quoted program name, which may hold blanks
        at = std::min(text.find('"', 1), text.size() - 1) + 1;
    else
        next_word(text, &at);
    Command command;
    std::string word = next_word(text, &at);
    if (word.empty())
        return command;
    if (word == "-TIME") {
        command.timed = true;
        word = next_word(text, &at);
    }
    if (word == "-EXEC") {
        if (at + 1 >= text.size())
            return invalid("-exec needs a command, for example -exec @LumivaneTog");
        command.kind = CommandKind::exec;
        command.text = text.substr(at + 1);
        return command;
    }
    if (word == "-RECONFIGURE")
        command.kind = CommandKind::reconfigure;
    else if (!command.timed && word == "-QUIT")
        command.kind = CommandKind::quit;
    else
        return invalid("unknown option");
    if (!next_word(text, &at).empty())
        return invalid("unexpected text after the option");
    return command;
}

int send_to_running_shell(const Command &command)
{
    HWND shell = FindWindowA(MAIN_WINDOW_CLASS, NULL);
    if (!shell) {
        complain("no running shell to take the command");
        return 1;
    }
    COPYDATASTRUCT data = {};
    data.dwData = COMMAND_TAG | static_cast<ULONG_PTR>(command.kind) |
                  (command.timed ? COMMAND_TIMED_FLAG : 0);
    data.cbData = static_cast<DWORD>(command.text.size() + 1);
    data.lpData = const_cast<char *>(command.text.c_str());
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(shell, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, ANSWER_TIMEOUT_MS, &answer)) {
        complain("the running shell did not answer (error %lu)", GetLastError());
        return 3;
    }
    if (command.timed) {
        const char *what = command.kind == CommandKind::exec ? command.text.c_str() : "reconfigure";
        say("delivered %s in %.3f ms", what, static_cast<double>(answer) / 1000.0);
    } else if (answer == 0) {
        complain("the running shell refused the command");
        return 3;
    }
    return 0;
}
