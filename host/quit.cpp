#include "quit.h"

#include <windows.h>

#include "output.h"
#include "plugins.h"

static int s_busy_depth;
static bool s_quit_pending;
static bool s_quitting;

static void quit_now()
{
    if (s_quitting)
        return;
    s_quitting = true;
    unload_plugins();
    say("quit");
    PostQuitMessage(0);
}

void request_quit()
{
    if (s_busy_depth > 0)
        s_quit_pending = true;
    else
        quit_now();
}

BusyShell::BusyShell() { ++s_busy_depth; }

BusyShell::~BusyShell()
{
    if (--s_busy_depth == 0 && s_quit_pending)
        quit_now();
}
