#include "registrations.h"

#include <algorithm>
#include <utility>
#include <vector>

// A list longer than this is taken as unterminated and read no further.
static const int MAX_LIST_LENGTH = 256;

static std::vector<std::pair<UINT, HWND>> s_registrations;

static bool is_registered(UINT message, HWND window)
{
    return std::find(s_registrations.begin(), s_registrations.end(),
                     std::make_pair(message, window)) != s_registrations.end();
}

void register_window(HWND window, const UINT *messages)
{
    if (!messages || !IsWindow(window))
        return;
    for (int i = 0; i < MAX_LIST_LENGTH && messages[i]; ++i) {
        if (!is_registered(messages[i], window))
            s_registrations.emplace_back(messages[i], window);
    }
}

void unregister_window(HWND window, const UINT *messages)
{
    auto listed = [messages](UINT message) {
        if (!messages)
            return true;
        for (int i = 0; i < MAX_LIST_LENGTH && messages[i]; ++i) {
            if (messages[i] == message)
                return true;
        }
        return false;
    };
    s_registrations.erase(
        std::remove_if(s_registrations.begin(), s_registrations.end(),
                       [&](const std::pair<UINT, HWND> &entry) {
                           return entry.second == window && listed(entry.first);
                       }),
        s_registrations.end());
}

int deliver(UINT message, WPARAM wparam, LPARAM lparam)
{
    // A receiver may register or unregister windows while it handles the message, so the
    // recipients are fixed before the first send. A window destroyed without unregistering
    // is skipped (its handle may be reused later, so it is also forgotten).
    std::vector<HWND> recipients;
    for (const auto &entry : s_registrations) {
        if (entry.first == message)
            recipients.push_back(entry.second);
    }
    int delivered = 0;
    for (HWND window : recipients) {
        if (!IsWindow(window)) {
            unregister_window(window, nullptr);
            continue;
        }
        SendMessageA(window, message, wparam, lparam);
        ++delivered;
    }
    return delivered;
}
