// The running shell's side of the command channel (command_message.h).
#pragma once
#include <windows.h>

// Carries out the command in a WM_COPYDATA and answers as command_message.h says.
LRESULT run_command(const COPYDATASTRUCT *data);
