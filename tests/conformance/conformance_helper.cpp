// The other process of the conformance tests: the owner of a window whose property the test
// sets, and the later process that reads the property back, as a shell's next run would.
//
//   conformance_helper window TITLE    opens a visible top-level window and runs until it is
//                                      closed
//   conformance_helper hung TITLE      opens a visible window, layered at alpha 120, then
//                                      handles no message until the event named TITLE is
//                                      set (20 s at most), then runs until it is closed
//   conformance_helper child TITLE HWND
//                                      opens a visible child window inside window HWND
//                                      (decimal handle) of another process and runs until
//                                      it is closed
//   conformance_helper take HWND NAME  removes the property NAME (decimal window handle) and
//                                      exits with its value (0: none)
#include <windows.h>

#include <cstdlib>
#include <cstring>

static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wparam, lparam);
}

static int own_window(const char *title, bool hung, HWND parent = NULL)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetModuleHandleA(NULL);
    window_class.lpszClassName = "LumivaneConformanceOwner";
    RegisterClassA(&window_class);
    // A child tells its parent's thread of its creation and end with a message sent there
    // (WM_PARENTNOTIFY), which the test's thread answers only while it pumps messages.
    HWND window = CreateWindowExA(parent ? WS_EX_NOPARENTNOTIFY : 0, window_class.lpszClassName, title,
                                  (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, parent ? 0 : 200,
                                  parent ? 0 : 200, 120, 90, parent, NULL,
                                  window_class.hInstance, NULL);
    if (!window)
        return 2;
    if (hung) {
        HANDLE release = CreateEventA(NULL, TRUE, FALSE, title);
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(window, 0, 120, LWA_ALPHA);
        WaitForSingleObject(release, 20000);
        CloseHandle(release);
    }
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

static int take_property(const char *handle, const char *name)
{
    HWND window = (HWND)(UINT_PTR)strtoull(handle, NULL, 10);
    ATOM atom = GlobalAddAtomA(name);
    if (!atom)
        return 0;
    return (int)(DWORD)(UINT_PTR)RemovePropA(window, MAKEINTATOM(atom));
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "window") == 0)
        return own_window(argv[2], false);
    if (argc == 3 && strcmp(argv[1], "hung") == 0)
        return own_window(argv[2], true);
    if (argc == 4 && strcmp(argv[1], "child") == 0)
        return own_window(argv[2], false, (HWND)(UINT_PTR)strtoull(argv[3], NULL, 10));
    if (argc == 4 && strcmp(argv[1], "take") == 0)
        return take_property(argv[2], argv[3]);
    return 2;
}
