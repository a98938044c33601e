// A sample application for the live demo. Copies of this program under the names the
// sample settings use (notepad.exe, mspaint.exe, calc.exe, ...) stand for those
// applications; a copy named explorer.exe draws the wallpaper beneath them.
//
//   sample_app.exe ID X Y WIDTH HEIGHT RRGGBB [keyed] TEXT   a card window called ID
//   sample_app.exe --wallpaper TEXT                          a full-screen wallpaper
//
// TEXT holds the lines under the application's name, separated by '|'. A keyed card is
// layered with a colour key of its own (magenta), and shows a band in that colour.
//
// Standard output, one line each:
//   window ID HANDLE   each window opened (handle in hex)
//   ready              after the command-line window
//   done COMMAND       after a command has been carried out (failed COMMAND otherwise)
//
// Commands on standard input, one a line:
//   foreground ID              brings the window to the front
//   movestart ID | moveend ID  what the system raises when a drag begins and ends
//   move ID X Y                moves the window there the way a drag does, in small steps
//   open ID X Y TEXT           another card like the first, at X Y
//   quit
// Wine 8 raises no foreground or move events on its own, so the window raises them for
// itself with NotifyWinEvent; they reach the shell's hooks as the system's own would.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "../tests/e2e/app_io.h"
#include "sample_paint.h"

namespace {

const char CARD_CLASS[] = "LumivaneDemoCard";
const char WALLPAPER_CLASS[] = "LumivaneDemoWallpaper";

struct Window {
    HWND handle;
    Card card;
};

std::map<std::string, Window> g_windows;
std::map<HWND, Card> g_cards;
int g_width, g_height;

std::string module_name()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string name = path;
    return name.substr(name.find_last_of("\\/") + 1);
}

bool open_card(const std::string &id, int x, int y, const Card &card)
{
    HWND window = CreateWindowExA(card.keyed ? WS_EX_LAYERED : 0, CARD_CLASS, id.c_str(),
                                  WS_POPUP, x, y, g_width, g_height, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    if (!window)
        return false;
    if (card.keyed)
        SetLayeredWindowAttributes(window, OWN_COLOUR_KEY, 0, LWA_COLORKEY);
    g_cards[window] = card;
    g_cards[window].caption = id;
    g_windows[id] = Window{window, card};
    // Not activated: which window is in front changes only when the demo says so.
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    say("window " + id + " " + hex(window));
    return true;
}

bool open_wallpaper(const std::string &text)
{
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExA(WS_EX_NOACTIVATE, WALLPAPER_CLASS, "Wallpaper", WS_POPUP, 0,
                                  0, width, height, NULL, NULL, GetModuleHandleA(NULL), NULL);
    if (!window)
        return false;
    Card card{"Wallpaper", module_name(), text, 0, false, true};
    g_cards[window] = card;
    g_windows["Wallpaper"] = Window{window, card};
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(window);
    say("window Wallpaper " + hex(window));
    return true;
}

void bring_to_front(HWND window)
{
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
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

// Twelve steps over about half a second, the way a window follows the pointer in a drag.
void drag_to(HWND window, int x, int y)
{
    RECT from;
    GetWindowRect(window, &from);
    const int steps = 12;
    for (int i = 1; i <= steps; ++i) {
        int at_x = from.left + (x - from.left) * i / steps;
        int at_y = from.top + (y - from.top) * i / steps;
        SetWindowPos(window, NULL, at_x, at_y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        wait_answering(40);
    }
}

bool carry_out(const std::string &line)
{
    std::istringstream words(line);
    std::string command, id;
    words >> command >> id;
    if (command == "open") {
        int x = 0, y = 0;
        std::string text;
        if (!(words >> x >> y) || g_windows.empty())
            return false;
        std::getline(words >> std::ws, text);
        Card card = g_windows.begin()->second.card;
        card.lines = text;
        return open_card(id, x, y, card);
    }
    auto found = g_windows.find(id);
    if (found == g_windows.end())
        return false;
    HWND window = found->second.handle;
    if (command == "foreground") {
        bring_to_front(window);
    } else if (command == "movestart") {
        NotifyWinEvent(EVENT_SYSTEM_MOVESIZESTART, window, OBJID_WINDOW, CHILDID_SELF);
    } else if (command == "moveend") {
        NotifyWinEvent(EVENT_SYSTEM_MOVESIZEEND, window, OBJID_WINDOW, CHILDID_SELF);
    } else if (command == "move") {
        int x = 0, y = 0;
        if (!(words >> x >> y))
            return false;
        drag_to(window, x, y);
    } else {
        return false;
    }
    return true;
}

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        const Card &card = g_cards[window];
        if (card.wallpaper)
            paint_wallpaper(dc, area, card);
        else
            paint_card(dc, area, card);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;   // WM_PAINT covers the whole window
    case WM_WINDOWPOSCHANGING:
        // The wallpaper stays beneath everything else.
        if (g_cards[window].wallpaper)
            reinterpret_cast<WINDOWPOS *>(lparam)->hwndInsertAfter = HWND_BOTTOM;
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void register_class(const char *name)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetModuleHandleA(NULL);
    window_class.hCursor = LoadCursorA(NULL, IDC_ARROW);
    window_class.lpszClassName = name;
    RegisterClassA(&window_class);
}

bool open_from_command_line(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--wallpaper")
        return open_wallpaper(argv[2]);
    if (argc != 8 && argc != 9)
        return false;
    bool keyed = argc == 9;
    if (keyed && std::string(argv[7]) != "keyed")
        return false;
    unsigned long rgb = strtoul(argv[6], NULL, 16);
    g_width = atoi(argv[4]);
    g_height = atoi(argv[5]);
    Card card{argv[1], module_name(), argv[argc - 1],
              RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF), keyed, false};
    return open_card(argv[1], atoi(argv[2]), atoi(argv[3]), card);
}

}  // namespace

int main(int argc, char **argv)
{
    register_class(CARD_CLASS);
    register_class(WALLPAPER_CLASS);
    if (!open_from_command_line(argc, argv)) {
        say("failed: usage: sample_app.exe ID X Y WIDTH HEIGHT RRGGBB [keyed] TEXT"
            " | --wallpaper TEXT");
        return 2;
    }

    // The queue must exist before the reader thread posts to it.
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
    say("ready");
    start_reading_commands();

    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (message.hwnd == NULL && message.message == WM_COMMAND_LINE) {
            std::string line = (char *)message.lParam;
            free((char *)message.lParam);
            if (line == "quit")
                break;
            say((carry_out(line) ? "done " : "failed ") + line);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
