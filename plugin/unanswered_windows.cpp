#include "unanswered_windows.h"

enum { RETRY_TIMER_ID = 1 };

static HWND s_timer_window;
static bool s_timer_running;
static HWND s_waiting[WAITING_SLOTS];   // the one that has waited longest first
static int s_count;

void start_waiting(HWND timer_window)
{
    s_timer_window = timer_window;
    s_timer_running = false;
    s_count = 0;
}

void stop_waiting(void)
{
    if (s_timer_running)
        KillTimer(s_timer_window, RETRY_TIMER_ID);
    s_timer_window = NULL;
    s_timer_running = false;
    s_count = 0;
}

bool is_waiting(HWND window)
{
    for (int i = 0; i < s_count; ++i) {
        if (s_waiting[i] == window)
            return true;
    }
    return false;
}

static void forget_oldest(void)
{
    for (int i = 1; i < s_count; ++i)
        s_waiting[i - 1] = s_waiting[i];
    --s_count;
}

bool wait_for_answer(HWND window)
{
    if (!s_timer_window)
        return false;
    if (is_waiting(window))
        return true;
    if (!s_timer_running) {
        if (!SetTimer(s_timer_window, RETRY_TIMER_ID, RETRY_INTERVAL_MS, NULL))
            return false;
        s_timer_running = true;
    }
    if (s_count == WAITING_SLOTS)
        forget_oldest();
    s_waiting[s_count++] = window;
    return true;
}

// SMTO_BLOCK: the shell's thread takes no sent message meanwhile, so nothing of the plug-in
// runs inside this short wait. SMTO_ABORTIFHUNG: a thread the system counts as hung (no
// message taken for five seconds) costs no wait at all.
static bool answers_now(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                               RETRY_TIMEOUT_MS, &result) != 0;
}

static bool contains(const DWORD *threads, int count, DWORD thread)
{
    for (int i = 0; i < count; ++i) {
        if (threads[i] == thread)
            return true;
    }
    return false;
}

void retry_unanswered_windows(void (*decide)(HWND window))
{
    // A thread found busy is not asked again in this tick for another of its windows.
    DWORD busy[WAITING_SLOTS];
    int busy_count = 0;
    HWND answered[WAITING_SLOTS];
    int answered_count = 0;
    int kept = 0;
    for (int i = 0; i < s_count; ++i) {
        HWND window = s_waiting[i];
        // 0 for a window that is gone: it is forgotten.
        DWORD thread = GetWindowThreadProcessId(window, NULL);
        if (!thread)
            continue;
        if (!contains(busy, busy_count, thread)) {
            if (answers_now(window)) {
                answered[answered_count++] = window;
                continue;
            }
            busy[busy_count++] = thread;
        }
        s_waiting[kept++] = window;
    }
    s_count = kept;
    if (s_count == 0 && s_timer_running) {
        KillTimer(s_timer_window, RETRY_TIMER_ID);
        s_timer_running = false;
    }
    // Deciding may wait on a window again, and the shell may end the plug-in meanwhile.
    for (int i = 0; i < answered_count && s_timer_window; ++i)
        decide(answered[i]);
}
