#include "shell_waits.h"

#include "unanswered_windows.h"

unsigned g_shell_calls;

static Wait *s_waits;   // the innermost first

void begin_wait(Wait *wait, HWND window)
{
    wait->window = window;
    wait->wanted_meanwhile = false;
    wait->shell_calls = g_shell_calls;
    wait->outer = s_waits;
    s_waits = wait;
}

bool end_wait(Wait *wait)
{
    s_waits = wait->outer;
    if (!wait->wanted_meanwhile && wait->shell_calls == g_shell_calls)
        return false;
    wait_for_answer(wait->window);
    return true;
}

bool waited_on(HWND window)
{
    for (Wait *wait = s_waits; wait; wait = wait->outer) {
        if (wait->window == window) {
            wait->wanted_meanwhile = true;
            return true;
        }
    }
    return false;
}
