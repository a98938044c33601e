// A stand-in application for the end-to-end tests and the demo. Copies of this executable
// under different names stand for different applications. It opens top-level windows and,
// on commands read from standard input, opens more, raises window events for them, moves
// them, or stops answering.
//
//   target_app.exe [--KIND TITLE]... [--busy-start MILLISECONDS]
//                                      KIND: visible, hidden, keyed, own-alpha, keyed-alpha,
//                                      frame: a visible frame window of class
//                                      ApplicationFrameWindow, as ApplicationFrameHost.exe
//                                      opens (for a copy of that name),
//                                      or wallpaper: the demo's full-screen pattern, TITLE
//                                      holding its lines; a busy start sleeps after opening
//                                      the windows, before handling any message, as
//                                      slow-starting programs do
//   target_app.exe ID X Y WIDTH HEIGHT RRGGBB [keyed] TEXT
//                                      the demo's card window called ID: the application's
//                                      name and TEXT's lines ('|' between them) on RRGGBB
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
//   content FRAME TITLE       a frame-hosted application's window: a visible child window of
//                             class Windows.UI.Core.CoreWindow inside window FRAME (a handle
//                             in hex) of another process, as the application attaches its
//                             window to its frame
//   detach TITLE              takes content window TITLE out of its frame, as Windows does
//                             while the application is minimized: a visible top-level window
//   caret TITLE               a caret in window TITLE (a control's title names the control)
//   foreground TITLE | movestart TITLE | moveend TITLE   (foreground: the window is put in
//                             front first; a card also comes to the top)
//   move TITLE X Y            moves the window there the way a drag does, in small steps
//   open ID X Y TEXT          with cards: another card like the first, at X Y
//   hang SECONDS              stop handling messages for that long (answers "hanging" first)
//   openbusy MILLISECONDS KIND TITLE
//                             open a window, then handle no message for that long
//   churn LIMIT MILLISECONDS  from now on, every MILLISECONDS open a visible window and close
//                             the oldest while more than LIMIT are open
//   churn stop                stop that; answers "churned CREATED DESTROYED" first
//   churnraise EVENT          raise foreground, movestart or moveend for the churn window
//                             closed last (gone by now) and for the oldest one still open
//   burst MILLISECONDS PAUSE  for MILLISECONDS, raise foreground, movestart and moveend for
//                             each of its windows over and over, answering messages for
//                             PAUSE milliseconds between rounds (answers "bursting" first)
//   quit
// A "keyed" window is layered with a colour key of its own (magenta) and no alpha; an
// "own-alpha" window is layered at alpha 200 of its own, a "keyed-alpha" one has both; a
// keyed card shows a band in its colour key.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "app_io.h"
#include "card_paint.h"

namespace {

const char WINDOW_CLASS[] = "LumivaneTargetWindow";
const char FRAME_CLASS[] = "ApplicationFrameWindow";
const char CONTENT_CLASS[] = "Windows.UI.Core.CoreWindow";

std::map<std::string, HWND> g_windows;
int g_opened;
std::map<HWND, Card> g_cards;   // the demo's windows and how they look
SIZE g_card_size;

// Windows opened and closed by "churn", oldest first.
struct Churn {
    UINT_PTR timer = 0;
    size_t limit = 0;
    std::deque<HWND> open;
    HWND closed_last = NULL;
    long created = 0;
    long destroyed = 0;
} g_churn;

// The kinds of window, with the layered attributes a window of the kind sets itself (flags
// 0: none).
struct Kind {
    const char *name;
    COLORREF key;
    BYTE alpha;
    DWORD flags;
};
const Kind KINDS[] = {
    {"visible", 0, 0, 0},
    {"hidden", 0, 0, 0},
    {"frame", 0, 0, 0},
    {"wallpaper", 0, 0, 0},
    {"keyed", OWN_COLOUR_KEY, 0, LWA_COLORKEY},
    {"own-alpha", 0, OWN_ALPHA, LWA_ALPHA},
    {"keyed-alpha", OWN_COLOUR_KEY, OWN_ALPHA, LWA_COLORKEY | LWA_ALPHA},
};

// Records window under title and reports it; false when there is no window.
bool report_window(const std::string &title, HWND window)
{
    if (!window)
        return false;
    g_windows[title] = window;
    say("window " + title + " " + hex(window));
    return true;
}

HWND window_titled(const std::string &title)
{
    auto window = g_windows.find(title);
    return window == g_windows.end() ? NULL : window->second;
}

// A window of kind at area (left, top, width, height), not activated: which window is in
// front changes only when a command says so. A card or the wallpaper paints as card says.
bool open_window(const std::string &kind, const std::string &title, DWORD style, RECT area,
                 const Card *card = NULL)
{
    const Kind *look = std::find_if(std::begin(KINDS), std::end(KINDS),
                                    [&](const Kind &known) { return kind == known.name; });
    if (look == std::end(KINDS))
        return false;
    DWORD ex_style =
        (look->flags ? WS_EX_LAYERED : 0) | (kind == "wallpaper" ? WS_EX_NOACTIVATE : 0);
    const char *window_class = kind == "frame" ? FRAME_CLASS : WINDOW_CLASS;
    HWND window = CreateWindowExA(ex_style, window_class, title.c_str(), style, area.left,
                                  area.top, area.right, area.bottom, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    if (!window)
        return false;
    if (look->flags)
        SetLayeredWindowAttributes(window, look->key, look->alpha, look->flags);
    if (card)
        g_cards[window] = *card;
    if (kind != "hidden")
        ShowWindow(window, SW_SHOWNOACTIVATE);
    if (kind == "wallpaper")
        SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (card)
        UpdateWindow(window);
    return report_window(title, window);
}

std::string module_name()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string name = path;
    return name.substr(name.find_last_of("\\/") + 1);
}

// The demo's wallpaper: the whole screen, beneath every other window.
bool open_wallpaper(const std::string &text)
{
    Card card{"Wallpaper", module_name(), text, 0, false, true};
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return open_window("wallpaper", "Wallpaper", WS_POPUP, area, &card);
}

bool open_card(const std::string &id, int x, int y, Card card)
{
    card.caption = id;
    return open_window(card.keyed ? "keyed" : "visible", id, WS_POPUP,
                       {x, y, g_card_size.cx, g_card_size.cy}, &card);
}

// A window of kind, or the wallpaper with TITLE as its lines.
bool open_kind(const std::string &kind, const std::string &title)
{
    if (kind == "wallpaper")
        return open_wallpaper(title);
    int offset = 40 * (g_opened++ % 10);
    return open_window(kind, title, WS_OVERLAPPEDWINDOW, {60 + offset, 60 + offset, 320, 200});
}

// "ID X Y TEXT": another card like the first.
bool open_another_card(const std::string &arguments)
{
    char id[64];
    int x, y, used = 0;
    if (sscanf(arguments.c_str(), "%63s %d %d %n", id, &x, &y, &used) != 3)
        return false;
    Card card = g_cards.begin()->second;
    card.lines = arguments.substr(used);
    return open_card(id, x, y, card);
}

// "ID X Y WIDTH HEIGHT RRGGBB [keyed] TEXT" from the command line.
bool open_first_card(int argc, char **argv)
{
    bool keyed = argc == 9 && std::string(argv[7]) == "keyed";
    if (argc != 8 && !keyed)
        return false;
    unsigned long rgb = strtoul(argv[6], NULL, 16);
    g_card_size = {atoi(argv[4]), atoi(argv[5])};
    Card card{argv[1], module_name(), argv[argc - 1],
              RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF), keyed, false};
    return open_card(argv[1], atoi(argv[2]), atoi(argv[3]), card);
}

// For "child": an EDIT control inside window PARENT; for "popup": a visible pop-up window
// owned by it.
bool open_inside(const std::string &command, const std::string &parent_title,
                 const std::string &title)
{
    HWND parent = window_titled(parent_title);
    if (!parent)
        return false;
    HWND window = command == "child"
                      ? CreateWindowExA(0, "EDIT", title.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER,
                                        10, 10, 200, 24, parent, NULL, GetModuleHandleA(NULL), NULL)
                      : CreateWindowExA(0, WINDOW_CLASS, title.c_str(), WS_POPUP | WS_BORDER, 420,
                                        120, 200, 120, parent, NULL, GetModuleHandleA(NULL), NULL);
    if (window && command == "popup")
        ShowWindow(window, SW_SHOWNOACTIVATE);
    return report_window(title, window);
}

// Wine, like Windows, lets a process make a child window inside another process's window.
bool open_content(const std::string &frame_handle, const std::string &title)
{
    HWND frame = reinterpret_cast<HWND>(
        static_cast<UINT_PTR>(strtoull(frame_handle.c_str(), NULL, 16)));
    RECT area;
    if (!GetClientRect(frame, &area))
        return false;
    return report_window(title, CreateWindowExA(0, CONTENT_CLASS, title.c_str(),
                                                WS_CHILD | WS_VISIBLE, 0, 0, area.right,
                                                area.bottom, frame, NULL,
                                                GetModuleHandleA(NULL), NULL));
}

bool detach_content(const std::string &title)
{
    HWND window = window_titled(title);
    if (!window)
        return false;
    SetWindowLongA(window, GWL_STYLE, (GetWindowLongA(window, GWL_STYLE) & ~WS_CHILD) | WS_POPUP);
    return SetParent(window, NULL) != NULL;
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
    return command == "foreground" ? EVENT_SYSTEM_FOREGROUND
           : command == "movestart"  ? EVENT_SYSTEM_MOVESIZESTART
           : command == "moveend"    ? EVENT_SYSTEM_MOVESIZEEND
                                     : 0;
}

// Raised the way the system raises them for a real foreground change or drag, which
// Wine does not do on its own.
bool raise_event(const std::string &command, const std::string &title)
{
    DWORD event = event_named(command);
    HWND window = window_titled(title);
    if (!event || !window)
        return false;
    if (event == EVENT_SYSTEM_FOREGROUND) {
        if (g_cards.count(window))
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(window);
    }
    NotifyWinEvent(event, window, OBJID_WINDOW, CHILDID_SELF);
    return true;
}

// Waits for ms milliseconds while answering what arrives for the windows, the way the
// system's own loop does during a drag: the shell checks that a window answers before it
// changes the window's style, and passes over a window that does not.
void wait_answering(DWORD ms)
{
    DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG message;
        // The commands waiting in the queue stay there until the drag is over.
        while (PeekMessageA(&message, NULL, 0, WM_COMMAND_LINE - 1, PM_REMOVE) ||
               PeekMessageA(&message, NULL, WM_COMMAND_LINE + 1, 0xFFFFFFFF, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        LONG left = (LONG)(end - GetTickCount());
        if (left <= 0)
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)left, QS_ALLINPUT);
    }
}

bool burst(DWORD ms, DWORD pause_ms)
{
    say("bursting");
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        for (auto &entry : g_windows) {
            for (DWORD event : {EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_MOVESIZESTART,
                                EVENT_SYSTEM_MOVESIZEEND})
                NotifyWinEvent(event, entry.second, OBJID_WINDOW, CHILDID_SELF);
        }
        wait_answering(pause_ms);
    }
    return true;
}

// "TITLE X Y": twelve steps over about half a second, the way a window follows the pointer
// in a drag.
bool drag(const std::string &arguments)
{
    char title[64];
    int x, y;
    HWND window = NULL;
    if (sscanf(arguments.c_str(), "%63s %d %d", title, &x, &y) != 3 ||
        !(window = window_titled(title)))
        return false;
    RECT from;
    GetWindowRect(window, &from);
    const int steps = 12;
    for (int i = 1; i <= steps; ++i) {
        SetWindowPos(window, NULL, from.left + (x - from.left) * i / steps,
                     from.top + (y - from.top) * i / steps, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        wait_answering(40);
    }
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
    std::string command = line, rest, first, second;
    split_pair(line, &command, &rest);
    bool pair = split_pair(rest, &first, &second);
    if (command == "quit")
        return false;
    if (command == "hang") {
        say("hanging");
        Sleep((DWORD)atoi(rest.c_str()) * 1000);
        return true;
    }
    bool done;
    if (command == "open")
        done = g_cards.empty() ? pair && open_kind(first, second) : open_another_card(rest);
    else if (command == "child" || command == "popup")
        done = pair && open_inside(command, first, second);
    else if (command == "content")
        done = pair && open_content(first, second);
    else if (command == "detach")
        done = detach_content(rest);
    else if (command == "caret")
        done = make_caret(rest);
    else if (command == "openbusy") {
        std::string kind, title;   // second is "KIND TITLE"
        done = pair && split_pair(second, &kind, &title) && open_kind(kind, title);
        Sleep((DWORD)atoi(first.c_str()));
    } else if (command == "churn")
        done = churn(rest);
    else if (command == "churnraise")
        done = raise_churn_event(rest);
    else if (command == "move")
        done = drag(rest);
    else if (command == "burst")
        done = pair && burst((DWORD)atoi(first.c_str()), (DWORD)atoi(second.c_str()));
    else
        done = raise_event(command, rest);
    say((done ? "done " : "failed ") + line);
    return true;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto card = g_cards.find(window);
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        if (card == g_cards.end())
            fill(dc, paint.rcPaint, RGB(40, 90, 160));
        else if (card->second.wallpaper)
            paint_wallpaper(dc, area, card->second);
        else
            paint_card(dc, area, card->second);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND && card != g_cards.end())
        return 1;   // WM_PAINT covers the whole window
    // The wallpaper stays beneath everything else.
    if (message == WM_WINDOWPOSCHANGING && card != g_cards.end() && card->second.wallpaper)
        reinterpret_cast<WINDOWPOS *>(lparam)->hwndInsertAfter = HWND_BOTTOM;
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char **argv)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetModuleHandleA(NULL);
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    for (const char *name : {WINDOW_CLASS, FRAME_CLASS, CONTENT_CLASS}) {
        window_class.lpszClassName = name;
        RegisterClassA(&window_class);
    }

    char module[MAX_PATH] = "";
    GetModuleFileNameA(NULL, module, sizeof module);
    say(std::string("module ") + module);

    if (argc > 1 && std::string(argv[1]).rfind("--", 0) != 0 && !open_first_card(argc, argv)) {
        say("failed: usage: ID X Y WIDTH HEIGHT RRGGBB [keyed] TEXT");
        return 2;
    }
    DWORD busy_start_ms = 0;
    for (int i = 1; g_cards.empty() && i < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--busy-start" && i + 1 < argc) {
            busy_start_ms = (DWORD)atoi(argv[i + 1]);
            continue;
        }
        if (i + 1 == argc || option.rfind("--", 0) != 0 ||
            !open_kind(option.substr(2), argv[i + 1])) {
            say("failed " + option + " (error " + std::to_string(GetLastError()) + ")");
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
