#include "command_receiver.h"

#include <string>

#include "../plugin/shell_messages.h"
#include "command_message.h"
#include "output.h"
#include "quit.h"
#include "rc_reader.h"
#include "registrations.h"

// Delivers message to every window registered for it and reports "<what> to N window(s)";
// answers the delivery's time in microseconds when timed, 1 otherwise. A quit asked for
// meanwhile waits until the report is out.
static LRESULT timed_delivery(UINT message, LPARAM lparam, const std::string &what, bool timed)
{
    BusyShell busy;
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    int count = deliver(message, 0, lparam);
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    say("%s to %d window(s)", what.c_str(), count);
    return timed ? static_cast<LRESULT>((end.QuadPart - start.QuadPart) * 1000000 /
                                        frequency.QuadPart)
                 : 1;
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
    bool timed = (data->dwData & COMMAND_TIMED_FLAG) != 0;
    switch (static_cast<CommandKind>(data->dwData & COMMAND_KIND_MASK)) {
    case CommandKind::exec: {
        std::string text = command_text(*data);
        if (text.empty())
            return 0;
        return timed_delivery(BB_BROADCAST, reinterpret_cast<LPARAM>(text.c_str()),
                              "delivered " + text, timed);
    }
    case CommandKind::reconfigure:
        // The file times the reader compares have one-second steps: an edit just after the
        // last read could otherwise go unseen by the plug-ins' reloading.
        rc::forget_files();
        return timed_delivery(BB_RECONFIGURE, 0, "reconfigure delivered", timed);
    case CommandKind::quit:
        request_quit();
        return 1;
    default:
        return 0;
    }
}
