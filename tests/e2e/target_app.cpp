// A stand-in application for the end-to-end tests. Copies of this executable under different
// names stand for different applications. It opens top-level windows and, on commands read
// from standard input, opens more, raises window events for them, or stops answering.
//
//   target_app.exe [--KIND TITLE]... [--busy-start MILLISECONDS]
//                                       KIND: visible, hidden, keyed, own-alpha, keyed-alpha;
//                                       a busy start sleeps after opening the windows, before
//                                       handling any message, as slow-starting programs do
//
// Standard output, one line each:
//   module PATH               its own executable, as the system names it
//   window TITLE HANDLE       each window opened (handle in hex)
//   ready                     after the command-line windows
//   done COMMAND TITLE        after a command has been carried out
//
// Commands on standard input, one a line:
//   open KIND TITLE
//   child PARENT TITLE        an EDIT control inside window PARENT
//   popup OWNER TITLE         a visible pop-up window owned by window OWNER
//   caret TITLE               a caret in window TITLE (a control's title names the control)
//   foreground TITLE | movestart TITLE | moveend TITLE
//   hang SECONDS              stop handling messages for that long (answers "hanging" first)
//   openbusy MILLISECONDS KIND TITLE
//                             open a window, then handle no message for that long
//   churn LIMIT MILLISECONDS  from now on, every MILLISECONDS open a visible window and close
//                             the oldest while more than LIMIT are open
//   churn stop                stop that; answers "churned CREATED DESTROYED" first
//   churnraise EVENT          raise foreground, movestart or moveend for the churn window
//                             closed last (gone by now) and for the oldest one still open
//   quit
// A "keyed" window is layered with a colour key of its own (magenta) and no alpha; an
// "own-alpha" window is layered at alpha 200 of its own, a "keyed-alpha" one has both.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "app_io.h"

namespace {

const char WINDOW_CLASS[] = "LumivaneTargetWindow";
const COLORREF OWN_COLOUR_KEY = RGB(255, 0, 255);
const BYTE OWN_ALPHA = 200;

std::map<std::string, HWND> g_windows;
int g_opened;

// Windows opened and closed by "churn", oldest first.
struct Churn {
    UINT_PTR timer = 0;
    size_t limit = 0;
    std::deque<HWND> open;
    HWND closed_last = NULL;
    long created = 0;
    long destroyed = 0;
} g_churn;

// The layered attributes a window of this kind sets itself: flags 0 for none.
struct OwnLook {
    COLORREF key;
    BYTE alpha;
    DWORD flags;
};

bool own_look(const std::string &kind, OwnLook *look)
{
    static const std::map<std::string, OwnLook> looks = {
        {"visible", {0, 0, 0}},
        {"hidden", {0, 0, 0}},
        {"keyed", {OWN_COLOUR_KEY, 0, LWA_COLORKEY}},
        {"own-alpha", {0, OWN_ALPHA, LWA_ALPHA}},
        {"keyed-alpha", {OWN_COLOUR_KEY, OWN_ALPHA, LWA_COLORKEY | LWA_ALPHA}},
    };
    auto found = looks.find(kind);
    if (found == looks.end())
        return false;
    *look = found->second;
    return true;
}

void report_window(const std::string &title, HWND window)
{
    g_windows[title] = window;
    say("window " + title + " " + hex(window));
}

HWND window_titled(const std::string &title)
{
    auto window = g_windows.find(title);
    return window == g_windows.end() ? NULL : window->second;
}

bool open_window(const std::string &kind, const std::string &title)
{
    OwnLook look;
    if (!own_look(kind, &look))
        return false;
    int offset = 40 * (g_opened++ % 10);
    HWND window = CreateWindowExA(look.flags ? WS_EX_LAYERED : 0, WINDOW_CLASS, title.c_str(),
                                  WS_OVERLAPPEDWINDOW, 60 + offset, 60 + offset, 320, 200, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
    if (!window)
        return false;
    if (look.flags)
        SetLayeredWindowAttributes(window, look.key, look.alpha, look.flags);
    if (kind != "hidden")
        ShowWindow(window, SW_SHOWNOACTIVATE);
    report_window(title, window);
    return true;
}

bool open_child(const std::string &parent_title, const std::string &title)
{
    HWND parent = window_titled(parent_title);
    HWND child = parent ? CreateWindowExA(0, "EDIT", title.c_str(),
                                          WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24,
                                          parent, NULL, GetModuleHandleA(NULL), NULL)
                        : NULL;
    if (!child)
        return false;
    report_window(title, child);
    return true;
}

bool open_popup(const std::string &owner_title, const std::string &title)
{
    HWND owner = window_titled(owner_title);
    HWND popup = owner ? CreateWindowExA(0, WINDOW_CLASS, title.c_str(), WS_POPUP | WS_BORDER, 420,
                                         120, 200, 120, owner, NULL, GetModuleHandleA(NULL), NULL)
                       : NULL;
    if (!popup)
        return false;
    ShowWindow(popup, SW_SHOWNOACTIVATE);
    report_window(title, popup);
    return true;
}

// Windows raises the creation event of a caret for the window that holds it, with the
// caret's object id; Wine raises none, so the app raises it as Windows would.
bool make_caret(const std::string &title)
{
    HWND window = window_titled(title);
    if (!window || !CreateCaret(window, NULL, 2, 16))
        return false;
    NotifyWinEvent(EVENT_OBJECT_CREATE, window, OBJID_CARET, CHILDID_SELF);
    return true;
}

// "FIRST SECOND": both words, or false.
bool split_pair(const std::string &text, std::string *first, std::string *second)
{
    size_t split = text.find(' ');
    if (split == std::string::npos)
        return false;
    *first = text.substr(0, split);
    *second = text.substr(split + 1);
    return true;
}

// The window event a command names, or 0.
DWORD event_named(const std::string &command)
{
    static const std::map<std::string, DWORD> events = {
        {"foreground", EVENT_SYSTEM_FOREGROUND},
        {"movestart", EVENT_SYSTEM_MOVESIZESTART},
        {"moveend", EVENT_SYSTEM_MOVESIZEEND},
    };
    auto event = events.find(command);
    return event == events.end() ? 0 : event->second;
}

// Raised the way the system raises them for a real foreground change or drag, which
// Wine does not do on its own.
bool raise_event(const std::string &command, const std::string &title)
{
    DWORD event = event_named(command);
    HWND window = window_titled(title);
    if (!event || !window)
        return false;
    NotifyWinEvent(event, window, OBJID_WINDOW, CHILDID_SELF);
    return true;
}

// Churn windows are popups: Wine hands a captioned window to the X window manager, and
// without one it waits two seconds in DestroyWindow for the manager to let it go.
void CALLBACK churn_tick(HWND, UINT, UINT_PTR, DWORD)
{
    int offset = 30 * (int)(g_churn.created % 12);
    HWND window = CreateWindowExA(0, WINDOW_CLASS, "churn", WS_POPUP | WS_BORDER, 400 + offset,
                                  80 + offset, 240, 160, NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (window) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        g_churn.open.push_back(window);
        ++g_churn.created;
    }
    while (g_churn.open.size() > g_churn.limit) {
        DestroyWindow(g_churn.open.front());
        g_churn.closed_last = g_churn.open.front();
        g_churn.open.pop_front();
        ++g_churn.destroyed;
    }
}

// "LIMIT MILLISECONDS" or "stop".
bool churn(const std::string &arguments)
{
    if (arguments == "stop") {
        if (g_churn.timer)
            KillTimer(NULL, g_churn.timer);
        g_churn.timer = 0;
        say("churned " + std::to_string(g_churn.created) + " " +
            std::to_string(g_churn.destroyed));
        return true;
    }
    int limit = 0, interval = 0;
    if (sscanf(arguments.c_str(), "%d %d", &limit, &interval) != 2 || limit < 1 || interval < 1)
        return false;
    g_churn.limit = (size_t)limit;
    // A thread timer: its WM_TIMER has no window and goes to churn_tick through the loop.
    g_churn.timer = SetTimer(NULL, g_churn.timer, (UINT)interval, churn_tick);
    return g_churn.timer != 0;
}

// A window handle that is no longer valid still reaches the hooks with the event.
bool raise_churn_event(const std::string &command)
{
    DWORD event = event_named(command);
    if (!event)
        return false;
    if (g_churn.closed_last)
        NotifyWinEvent(event, g_churn.closed_last, OBJID_WINDOW, CHILDID_SELF);
    if (!g_churn.open.empty())
        NotifyWinEvent(event, g_churn.open.front(), OBJID_WINDOW, CHILDID_SELF);
    return true;
}

// Returns false on "quit".
bool run_command(const std::string &line)
{
    size_t space = line.find(' ');
    std::string command = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (command == "quit")
        return false;
    if (command == "hang") {
        say("hanging");
        Sleep((DWORD)atoi(rest.c_str()) * 1000);
        return true;
    }
    bool done;
    std::string first, second;
    if (command == "open") {
        done = split_pair(rest, &first, &second) && open_window(first, second);
    } else if (command == "child") {
        done = split_pair(rest, &first, &second) && open_child(first, second);
    } else if (command == "popup") {
        done = split_pair(rest, &first, &second) && open_popup(first, second);
    } else if (command == "caret") {
        done = make_caret(rest);
    } else if (command == "openbusy") {
        int milliseconds = atoi(rest.c_str());
        done = split_pair(rest.substr(rest.find(' ') + 1), &first, &second) &&
               open_window(first, second);
        Sleep((DWORD)milliseconds);
    } else if (command == "churn") {
        done = churn(rest);
    } else if (command == "churnraise") {
        done = raise_churn_event(rest);
    } else {
        done = raise_event(command, rest);
    }
    say((done ? "done " : "failed ") + line);
    return true;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(RGB(40, 90, 160));
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char **argv)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetModuleHandleA(NULL);
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    window_class.lpszClassName = WINDOW_CLASS;
    RegisterClassA(&window_class);

    char module[MAX_PATH] = "";
    GetModuleFileNameA(NULL, module, sizeof module);
    say(std::string("module ") + module);

    DWORD busy_start_ms = 0;
    for (int i = 1; i < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--busy-start" && i + 1 < argc) {
            busy_start_ms = (DWORD)atoi(argv[i + 1]);
            continue;
        }
        if (i + 1 == argc || option.rfind("--", 0) != 0 ||
            !open_window(option.substr(2), argv[i + 1])) {
            say("failed " + option);
            return 2;
        }
    }
    Sleep(busy_start_ms);

    // The queue must exist before the reader thread posts to it.
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
    say("ready");
    start_reading_commands();

    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (message.hwnd == NULL && message.message == WM_COMMAND_LINE) {
            char *line = (char *)message.lParam;
            bool go_on = run_command(line);
            free(line);
            if (!go_on)
                break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
