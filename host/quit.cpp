#include "quit.h"

#include <windows.h>

#include "output.h"
#include "plugins.h"

static int s_busy_depth;
static bool s_quit_pending;
static bool s_quitting;

// A shell runs on after it has freed a plug-in: one the user unloads, or all of them while it
// closes down at quit. What was queued for the shell's thread meanwhile (window events for a
// plug-in's hooks among it) then still arrives. The host's message loop runs on a moment
// after the plug-ins are freed too, so a plug-in that leaves anything queued for its freed
// code crashes the host as it would crash a real shell.
static const UINT RUN_ON_MS = 500;

static void CALLBACK end_message_loop(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    PostQuitMessage(0);
}

static void quit_now()
{
    if (s_quitting)
        return;
    s_quitting = true;
    unload_plugins();
    say("quit");
    if (!SetTimer(NULL, 0, RUN_ON_MS, end_message_loop))
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
