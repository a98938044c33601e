// Frame-hosted applications (Calculator, Settings, Photos, the Store): their top-level window
// is a frame of ApplicationFrameHost.exe, and the application's own window, its content, is a
// child of that frame owned by the application's process. Such a frame is named by the
// program of its content.
#pragma once
#include <windows.h>

// The file name of the frame host's executable, as the system spells it.
#define FRAME_HOST_NAME "ApplicationFrameHost.exe"

// How many of a frame's child windows are looked at for its content. A frame holds a few
// windows of its own (title bar, input sink) besides the content.
enum { FRAME_CHILDREN_LOOKED_AT = 100 };

// True when the folded path is that of the frame host's executable.
bool is_frame_host(const char *folded_path);

// True when window is a frame: its class is "ApplicationFrameWindow".
bool is_frame(HWND window);

// The process of a frame's content: the first child window owned by a process other than
// frame_process, the frame's own. 0 when there is none: the application is minimized
// (Windows takes its window out of the frame meanwhile) or has not attached its window yet.
DWORD content_process(HWND frame, DWORD frame_process);

// The frame whose content window is, when window is a child of a frame owned by another
// process than the frame's; NULL otherwise.
HWND frame_of_content(HWND window);

// The frame when window is a frame's content, else window itself: the content shown in
// front counts as its frame.
HWND frame_or_self(HWND window);

// False for a child window, and for a frame's content taken out of its frame (a top-level
// window of class "Windows.UI.Core.CoreWindow", while its application is minimized or
// starting). Windows never shows such a window by itself: it is decided through its frame
// only, and never made translucent itself.
bool is_own_top_level(HWND window);
