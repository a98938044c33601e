// A stand-in application for the end-to-end tests. Copies of this executable under different
// names stand for different applications. It opens top-level windows and, on commands read
// from standard input, opens more, raises window events for them, or stops answering.
//
//   target_app.exe [--visible TITLE | --hidden TITLE | --keyed TITLE]...
//
// Standard output, one line each:
//   module PATH               its own executable, as the system names it
//   window TITLE HANDLE       each window opened (handle in hex)
//   ready                     after the command-line windows
//   done COMMAND TITLE        after a command has been carried out
//
// Commands on standard input, one a line:
//   open visible|hidden|keyed TITLE
//   foreground TITLE | movestart TITLE | moveend TITLE
//   hang SECONDS              stop handling messages for that long (answers "hanging" first)
//   quit
// A "keyed" window is layered with a colour key of its own (magenta) and no alpha.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

const char WINDOW_CLASS[] = "LumivaneTargetWindow";
const UINT WM_COMMAND_LINE = WM_APP + 1;   // lParam: a heap copy of one input line
const COLORREF OWN_COLOUR_KEY = RGB(255, 0, 255);

std::map<std::string, HWND> g_windows;
int g_opened;

void say(const std::string &line)
{
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), (DWORD)text.size(), &written, NULL);
}

std::string hex(HWND window)
{
    char text[32];
    snprintf(text, sizeof text, "%llx", (unsigned long long)(UINT_PTR)window);
    return text;
}

bool open_window(const std::string &kind, const std::string &title)
{
    bool keyed = kind == "keyed";
    if (!keyed && kind != "visible" && kind != "hidden")
        return false;
    int offset = 40 * (g_opened++ % 10);
    HWND window = CreateWindowExA(keyed ? WS_EX_LAYERED : 0, WINDOW_CLASS, title.c_str(),
                                  WS_OVERLAPPEDWINDOW, 60 + offset, 60 + offset, 320, 200, NULL,
                                  NULL, GetModuleHandleA(NULL), NULL);
    if (!window)
        return false;
    if (keyed)
        SetLayeredWindowAttributes(window, OWN_COLOUR_KEY, 0, LWA_COLORKEY);
    if (kind != "hidden")
        ShowWindow(window, SW_SHOWNOACTIVATE);
    g_windows[title] = window;
    say("window " + title + " " + hex(window));
    return true;
}

// Raised the way the system raises them for a real foreground change or drag, which
// Wine does not do on its own.
bool raise_event(const std::string &command, const std::string &title)
{
    static const std::map<std::string, DWORD> events = {
        {"foreground", EVENT_SYSTEM_FOREGROUND},
        {"movestart", EVENT_SYSTEM_MOVESIZESTART},
        {"moveend", EVENT_SYSTEM_MOVESIZEEND},
    };
    auto event = events.find(command);
    auto window = g_windows.find(title);
    if (event == events.end() || window == g_windows.end())
        return false;
    NotifyWinEvent(event->second, window->second, OBJID_WINDOW, CHILDID_SELF);
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
    if (command == "open") {
        size_t split = rest.find(' ');
        done = split != std::string::npos && open_window(rest.substr(0, split), rest.substr(split + 1));
    } else {
        done = raise_event(command, rest);
    }
    say((done ? "done " : "failed ") + line);
    return true;
}

// Standard input is read on its own thread, so the window thread keeps handling messages;
// each line is handed over to the window thread, which carries it out.
DWORD WINAPI read_commands(LPVOID window_thread)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string pending;
    char buffer[256];
    DWORD count = 0;
    while (ReadFile(input, buffer, sizeof buffer, &count, NULL) && count > 0) {
        pending.append(buffer, count);
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            PostThreadMessageA((DWORD)(UINT_PTR)window_thread, WM_COMMAND_LINE, 0,
                               (LPARAM)_strdup(line.c_str()));
        }
    }
    PostThreadMessageA((DWORD)(UINT_PTR)window_thread, WM_COMMAND_LINE, 0,
                       (LPARAM)_strdup("quit"));
    return 0;
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

    for (int i = 1; i < argc; i += 2) {
        std::string option = argv[i];
        if (i + 1 == argc || option.rfind("--", 0) != 0 ||
            !open_window(option.substr(2), argv[i + 1])) {
            say("failed " + option);
            return 2;
        }
    }

    // The queue must exist before the reader thread posts to it.
    MSG message;
    PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
    say("ready");
    CloseHandle(CreateThread(NULL, 0, read_commands, (LPVOID)(UINT_PTR)GetCurrentThreadId(), 0,
                             NULL));

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
