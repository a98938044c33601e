#include "command_sender.h"

#include "../common/text.h"
#include "output.h"

// A plug-in's pass over many windows under Wine can take seconds; a shell that stops
// pumping messages is given up on sooner through SMTO_ABORTIFHUNG.
static const UINT ANSWER_TIMEOUT_MS = 120000;

static bool is_blank(char c) { return c == ' ' || c == '\t'; }

static const char *skip_blanks(const char *text)
{
    while (is_blank(*text))
        ++text;
    return text;
}

static const char *skip_program_name(const char *text)
{
    if (*text == '"') {
        const char *close = text + 1;
        while (*close && *close != '"')
            ++close;
        return *close ? close + 1 : close;
    }
    while (*text && !is_blank(*text))
        ++text;
    return text;
}

// Takes option, written upper-case, when it is the next whole word of *text in any case.
static bool take_option(const char **text, const char *option)
{
    const char *end = *text;
    while (*end && !is_blank(*end))
        ++end;
    std::string word(*text, end);
    fold(&word[0]);
    if (word != option)
        return false;
    *text = end;
    return true;
}

static Command invalid(const char *problem)
{
    Command command;
    command.kind = CommandKind::invalid;
    command.text = problem;
    return command;
}

Command parse_command_line(const char *command_line)
{
    const char *p = skip_blanks(skip_program_name(command_line ? command_line : ""));
    Command command;
    if (!*p)
        return command;
    if (take_option(&p, "-TIME")) {
        command.timed = true;
        p = skip_blanks(p);
    }
    if (take_option(&p, "-EXEC")) {
        if (*p)
            ++p;
        if (!*p)
            return invalid("-exec needs a command, for example -exec @LumivaneTog");
        command.kind = CommandKind::exec;
        command.text = p;
        return command;
    }
    if (take_option(&p, "-RECONFIGURE"))
        command.kind = CommandKind::reconfigure;
    else if (!command.timed && take_option(&p, "-QUIT"))
        command.kind = CommandKind::quit;
    else
        return invalid("unknown option");
    if (*skip_blanks(p))
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
