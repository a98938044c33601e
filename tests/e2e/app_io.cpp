#include "app_io.h"

#include <cstdio>
#include <cstring>

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

static DWORD WINAPI read_commands(LPVOID window_thread)
{
    DWORD thread = (DWORD)(UINT_PTR)window_thread;
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
            PostThreadMessageA(thread, WM_COMMAND_LINE, 0, (LPARAM)_strdup(line.c_str()));
        }
    }
    PostThreadMessageA(thread, WM_COMMAND_LINE, 0, (LPARAM)_strdup("quit"));
    return 0;
}

void start_reading_commands()
{
    CloseHandle(CreateThread(NULL, 0, read_commands, (LPVOID)(UINT_PTR)GetCurrentThreadId(), 0,
                             NULL));
}
