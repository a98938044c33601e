#include "commands.h"

#include "main_window.h"
#include "output.h"
#include "rc_reader.h"
#include "registrations.h"

// dwData of the command's WM_COPYDATA: a tag that other senders' data will not carry, the
// command kind in the low bits, and a flag for timing.
static const ULONG_PTR COMMAND_TAG = 0x4C564800;
static const ULONG_PTR COMMAND_TAG_MASK = ~static_cast<ULONG_PTR>(0xFF);
static const ULONG_PTR KIND_MASK = 0x0F;
static const ULONG_PTR TIMED_FLAG = 0x10;

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

// Takes option (ASCII case ignored) when it is the next whole word of *text.
static bool take_option(const char **text, const char *option)
{
    const char *p = *text;
    for (; *option; ++p, ++option) {
        char c = (*p >= 'A' && *p <= 'Z') ? static_cast<char>(*p - 'A' + 'a') : *p;
        if (c != *option)
            return false;
    }
    if (*p && !is_blank(*p))
        return false;
    *text = p;
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
    if (take_option(&p, "-time")) {
        command.timed = true;
        p = skip_blanks(p);
    }
    if (take_option(&p, "-exec")) {
        if (*p)
            ++p;
        if (!*p)
            return invalid("-exec needs a command, for example -exec @LumivaneTog");
        command.kind = CommandKind::exec;
        command.text = p;
        return command;
    }
    if (take_option(&p, "-reconfigure"))
        command.kind = CommandKind::reconfigure;
    else if (!command.timed && take_option(&p, "-quit"))
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
    ULONG_PTR kind = command.kind == CommandKind::exec ? 1
                   : command.kind == CommandKind::reconfigure ? 2 : 3;
    COPYDATASTRUCT data = {};
    data.dwData = COMMAND_TAG | kind | (command.timed ? TIMED_FLAG : 0);
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

// Microseconds since start, from the performance counter.
static LRESULT microseconds_since(const LARGE_INTEGER &start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<LRESULT>((now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
}

// The text of an exec command, up to its first NUL and never past cbData.
static std::string command_text(const COPYDATASTRUCT &data)
{
    if (!data.lpData)
        return std::string();
    std::string text(static_cast<const char *>(data.lpData), data.cbData);
    return text.substr(0, text.find('\0'));
}

LRESULT run_command(const COPYDATASTRUCT *data)
{
    if (!data || (data->dwData & COMMAND_TAG_MASK) != COMMAND_TAG)
        return 0;
    bool timed = (data->dwData & TIMED_FLAG) != 0;
    LARGE_INTEGER start;
    switch (data->dwData & KIND_MASK) {
    case 1: {
        std::string text = command_text(*data);
        if (text.empty())
            return 0;
        BusyShell busy;
        QueryPerformanceCounter(&start);
        int count = deliver(BB_BROADCAST, 0, reinterpret_cast<LPARAM>(text.c_str()));
        LRESULT elapsed = microseconds_since(start);
        say("delivered %s to %d window(s)", text.c_str(), count);
        return timed ? elapsed : 1;
    }
    case 2: {
        // The file times the reader compares have one-second steps: an edit just after the
        // last read could otherwise go unseen by the plug-ins' reloading.
        rc::forget_files();
        BusyShell busy;
        QueryPerformanceCounter(&start);
        int count = deliver(BB_RECONFIGURE, 0, 0);
        LRESULT elapsed = microseconds_since(start);
        say("reconfigure delivered to %d window(s)", count);
        return timed ? elapsed : 1;
    }
    case 3:
        request_quit();
        return 1;
    default:
        return 0;
    }
}
