// How focus_timer.exe learns that the shell's thread has handled a foreground change.
//
// An out-of-context window event reaches the hooking thread queued with the messages sent to
// it, and a thread's message loop handles every sent message before it takes a posted one.
// So the timer raises the event, then posts STOPWATCH_MESSAGE to the in-shell baseline's
// window on the shell's thread; when that message arrives, the plug-in's handling of the
// event is over, and the window signals STOPWATCH_EVENT. A sent message would not do: the
// shell's thread handles messages sent to it while it waits inside the pass's own
// SendMessageTimeoutA and SetWindowLongA calls, and would answer before the pass ends.
#pragma once
#include <windows.h>

const char STOPWATCH_WINDOW_CLASS[] = "LumivaneBaseline";
const char STOPWATCH_EVENT[] = "LumivaneBenchStopwatch";
const UINT STOPWATCH_MESSAGE = WM_APP + 1;
