// The command channel from a second instance to the running shell: one WM_COPYDATA sent to
// the shell's main window, found by its class. dwData carries a tag that other senders' data
// will not carry, the command's kind in the low bits and a flag for timing; lpData carries
// the exec command's text. The shell answers 0 for data that is not a command, the
// delivery's time in microseconds for a timed command, and 1 otherwise.
#pragma once
#include <windows.h>

const char MAIN_WINDOW_CLASS[] = "BlackboxClass";

// exec, reconfigure and quit are also the kinds written into dwData.
enum class CommandKind : ULONG_PTR { exec = 1, reconfigure = 2, quit = 3, run_shell, invalid };

const ULONG_PTR COMMAND_TAG = 0x4C564800;
const ULONG_PTR COMMAND_TAG_MASK = ~static_cast<ULONG_PTR>(0xFF);
const ULONG_PTR COMMAND_KIND_MASK = 0x0F;
const ULONG_PTR COMMAND_TIMED_FLAG = 0x10;
