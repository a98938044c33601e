#include "shell_waits.h"

#include "../common/window_access.h"

unsigned g_shell_calls;

// One wait under way, kept on the waiting function's stack; the innermost first.
struct Wait {
    HWND window;
    bool wanted_meanwhile;
    unsigned shell_calls;
    Wait *outer;
};
static Wait *s_waits;

enum { RETRY_TIMER_ID = 1 };
static HWND s_timer_window;
static bool s_timer_running;
static HWND s_waiting[WAITING_SLOTS];   // the one that has waited longest first
static int s_waiting_count;

enum QuitStage { RUNNING, QUITTING, LAST_CHANCE };
static QuitStage s_quit;
static DWORD s_quit_end;   // GetTickCount's value when the quit's waits are used up

bool waited_on(HWND window)
{
    for (Wait *wait = s_waits; wait; wait = wait->outer) {
        if (wait->window == window) {
            wait->wanted_meanwhile = true;
            return true;
        }
    }
    return false;
}

static void begin_wait(Wait *wait, HWND window)
{
    wait->window = window;
    wait->wanted_meanwhile = false;
    wait->shell_calls = g_shell_calls;
    wait->outer = s_waits;
    s_waits = wait;
}

static void wait_for_answer(HWND window);

// True when the wait went stale; the window then waits for the retry timer.
static bool end_wait(Wait *wait)
{
    s_waits = wait->outer;
    if (!wait->wanted_meanwhile && wait->shell_calls == g_shell_calls)
        return false;
    wait_for_answer(wait->window);
    return true;
}

static UINT quit_time_left(void)
{
    LONG left = (LONG)(s_quit_end - GetTickCount());
    return left > 0 ? (UINT)left : 0;
}

static UINT at_most_usual(UINT timeout)
{
    return timeout < ANSWER_TIMEOUT_MS ? timeout : (UINT)ANSWER_TIMEOUT_MS;
}

static UINT answer_timeout(void)
{
    if (s_quit == RUNNING)
        return ANSWER_TIMEOUT_MS;
    return s_quit == LAST_CHANCE ? quit_time_left() : at_most_usual(quit_time_left());
}

// In the last chance, a program that took longer than the usual timeout is known to be
// slow: a style change would wait on it without limit, so it must answer in time once more.
static bool answers_in_last_chance(HWND window, UINT timeout)
{
    DWORD asked = GetTickCount();
    if (!answers_within(window, timeout))
        return false;
    if (GetTickCount() - asked <= ANSWER_TIMEOUT_MS)
        return true;
    UINT left = at_most_usual(quit_time_left());
    return left > 0 && answers_within(window, left);
}

Answer window_answers(HWND window)
{
    if (GetWindowThreadProcessId(window, NULL) == GetCurrentThreadId())
        return ANSWERED;
    UINT timeout = answer_timeout();
    if ((is_waiting(window) && s_quit != LAST_CHANCE) || timeout == 0)
        return SILENT;
    Wait wait;
    begin_wait(&wait, window);
    bool answered = s_quit == LAST_CHANCE ? answers_in_last_chance(window, timeout)
                                          : answers_within(window, timeout);
    if (end_wait(&wait))
        return answered ? ANSWERED_TOO_LATE : SILENT;
    if (!answered)
        wait_for_answer(window);
    return answered ? ANSWERED : SILENT;
}

// The style is read after the answer check: the program may have changed it meanwhile.
bool change_layered_style(HWND window, bool layered)
{
    LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    style = layered ? style | WS_EX_LAYERED : style & ~WS_EX_LAYERED;
    Wait wait;
    begin_wait(&wait, window);
    SetWindowLongA(window, GWL_EXSTYLE, style);
    return !end_wait(&wait);
}

void start_waiting(HWND timer_window)
{
    s_timer_window = timer_window;
    s_timer_running = false;
    s_waiting_count = 0;
}

void stop_waiting(void)
{
    if (s_timer_running)
        KillTimer(s_timer_window, RETRY_TIMER_ID);
    s_timer_window = NULL;
    s_timer_running = false;
    s_waiting_count = 0;
}

bool is_waiting(HWND window)
{
    for (int i = 0; i < s_waiting_count; ++i) {
        if (s_waiting[i] == window)
            return true;
    }
    return false;
}

static void forget_oldest(void)
{
    for (int i = 1; i < s_waiting_count; ++i)
        s_waiting[i - 1] = s_waiting[i];
    --s_waiting_count;
}

// Remembers a window until its thread answers. Nothing waits before start-up, or from the
// quit on: nothing would ask it again.
static void wait_for_answer(HWND window)
{
    if (!s_timer_window || s_quit != RUNNING || is_waiting(window))
        return;
    if (!s_timer_running) {
        if (!SetTimer(s_timer_window, RETRY_TIMER_ID, RETRY_INTERVAL_MS, NULL))
            return;
        s_timer_running = true;
    }
    if (s_waiting_count == WAITING_SLOTS)
        forget_oldest();
    s_waiting[s_waiting_count++] = window;
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
    for (int i = 0; i < s_waiting_count; ++i) {
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
    s_waiting_count = kept;
    if (s_waiting_count == 0 && s_timer_running) {
        KillTimer(s_timer_window, RETRY_TIMER_ID);
        s_timer_running = false;
    }
    // Deciding may wait on a window again, and the shell may end the plug-in meanwhile.
    for (int i = 0; i < answered_count && s_timer_window; ++i)
        decide(answered[i]);
}

void begin_quit(void)
{
    s_quit = QUITTING;
    s_quit_end = GetTickCount() + QUIT_WAIT_MS;
}

void begin_last_chance(void)
{
    s_quit = LAST_CHANCE;
}

void end_quit(void)
{
    s_quit = RUNNING;
}
