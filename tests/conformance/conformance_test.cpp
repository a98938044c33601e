// The Windows behaviours Lumivane relies on, one test each. Built against the fake desktop
// and run natively, and built for Windows and run against real user32 under Wine: where the
// two disagree, the fake is wrong.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform.h"

using conformance::make_window;
using conformance::remove_window;

typedef BOOL(WINAPI *LayeredQueryFn)(HWND, COLORREF *, BYTE *, DWORD *);

static LayeredQueryFn layered_query()
{
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "GetLayeredWindowAttributes");
    return reinterpret_cast<LayeredQueryFn>(reinterpret_cast<void (*)(void)>(found));
}

static const COLORREF KEY = 0x00FF00FF;

TEST(Conformance, LayeredQueryFailsOnAWindowThatIsNotLayered)
{
    HWND window = make_window(0, false);
    COLORREF key = 1;
    BYTE alpha = 2;
    DWORD flags = 3;
    EXPECT_FALSE(layered_query()(window, &key, &alpha, &flags));
    remove_window(window);
}

TEST(Conformance, LayeredQueryFailsWhileAttributesWereNeverSet)
{
    HWND window = make_window(WS_EX_LAYERED, false);
    COLORREF key = 0;
    DWORD flags = 0;
    EXPECT_FALSE(layered_query()(window, &key, NULL, &flags));
    remove_window(window);
}

TEST(Conformance, SetLayeredWindowAttributesFailsWithoutTheLayeredStyle)
{
    HWND window = make_window(0, false);
    EXPECT_FALSE(SetLayeredWindowAttributes(window, 0, 128, LWA_ALPHA));
    remove_window(window);
}

TEST(Conformance, LayeredQueryGivesBackKeyAlphaAndFlagsAndWritesOnlyWhatItIsGiven)
{
    HWND window = make_window(WS_EX_LAYERED, false);
    ASSERT_TRUE(SetLayeredWindowAttributes(window, KEY, 77, LWA_COLORKEY | LWA_ALPHA));
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(layered_query()(window, &key, &alpha, &flags));
    EXPECT_EQ(key, KEY);
    EXPECT_EQ(alpha, 77);
    EXPECT_EQ(flags, (DWORD)(LWA_COLORKEY | LWA_ALPHA));

    key = 0;
    EXPECT_TRUE(layered_query()(window, &key, NULL, NULL));
    EXPECT_EQ(key, KEY);

    // Alpha only: the flags say there is no colour key, whatever key value was passed.
    ASSERT_TRUE(SetLayeredWindowAttributes(window, KEY, 90, LWA_ALPHA));
    flags = 0;
    ASSERT_TRUE(layered_query()(window, NULL, &alpha, &flags));
    EXPECT_EQ(flags, (DWORD)LWA_ALPHA);
    EXPECT_EQ(alpha, 90);
    remove_window(window);
}

TEST(Conformance, ClearingTheLayeredStyleForgetsTheAttributes)
{
    HWND window = make_window(WS_EX_LAYERED, false);
    ASSERT_TRUE(SetLayeredWindowAttributes(window, KEY, 50, LWA_COLORKEY | LWA_ALPHA));
    LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    SetWindowLongA(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    SetWindowLongA(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    COLORREF key = 0;
    DWORD flags = 0;
    EXPECT_FALSE(layered_query()(window, &key, NULL, &flags));
    remove_window(window);
}

// The passes rely on this to skip a window that went between enumeration and use.
TEST(Conformance, AWindowThatIsGoneIsNeitherAWindowNorVisible)
{
    HWND window = make_window(0, true);
    ASSERT_TRUE(IsWindowVisible(window));
    remove_window(window);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST(Conformance, ModuleFileNameIsCutToSizeLessOneAndTerminated)
{
    std::string exe;
    HANDLE process = conformance::open_test_process(&exe);
    ASSERT_TRUE(process != NULL);
    HMODULE first = NULL;
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(process, &first, sizeof first, &needed));
    EXPECT_GE(needed, sizeof first);

    char full[MAX_PATH];
    ASSERT_EQ(GetModuleFileNameExA(process, first, full, MAX_PATH), exe.size());
    EXPECT_EQ(std::string(full), exe);

    char cut[12];
    memset(cut, 'X', sizeof cut);
    GetModuleFileNameExA(process, first, cut, 10);
    EXPECT_EQ(std::string(cut), exe.substr(0, 9));
    EXPECT_EQ(cut[10], 'X');

    // Wide, as the lookup reads it, then in the code page; the image name fails to fit.
    WCHAR wide[MAX_PATH];
    ASSERT_EQ(GetModuleFileNameExW(process, first, wide, MAX_PATH), exe.size());
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, full, MAX_PATH, NULL, NULL),
              (int)exe.size() + 1);
    EXPECT_EQ(std::string(full), exe);
    typedef BOOL(WINAPI * QueryImageNameFn)(HANDLE, DWORD, LPWSTR, PDWORD);
    auto query = reinterpret_cast<QueryImageNameFn>(reinterpret_cast<void (*)(void)>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameW")));
    ASSERT_TRUE(query != NULL);
    DWORD size = MAX_PATH;
    ASSERT_TRUE(query(process, 0, wide, &size));
    EXPECT_EQ(size, exe.size());
    size = 10;
    EXPECT_FALSE(query(process, 0, wide, &size));
    EXPECT_TRUE(CloseHandle(process));
}

struct Enumeration {
    std::vector<HWND> seen;
    int stop_after;
};

static BOOL CALLBACK record_window(HWND window, LPARAM param)
{
    Enumeration *enumeration = reinterpret_cast<Enumeration *>(param);
    enumeration->seen.push_back(window);
    return (int)enumeration->seen.size() < enumeration->stop_after;
}

// What EnumWindows hands out to a callback that stops it after stop_after windows.
static std::vector<HWND> enumerate(int stop_after = 1 << 30)
{
    Enumeration enumeration = {{}, stop_after};
    EnumWindows(record_window, (LPARAM)&enumeration);
    return enumeration.seen;
}

// The place of window in windows, or -1.
static int place_of(HWND window, const std::vector<HWND> &windows)
{
    auto found = std::find(windows.begin(), windows.end(), window);
    return found == windows.end() ? -1 : (int)(found - windows.begin());
}

TEST(Conformance, EnumWindowsGoesTopDownAndStopsWhenTheCallbackSaysSo)
{
    HWND older = make_window(0, true);
    HWND newer = make_window(0, false);
    std::vector<HWND> all = enumerate();
    ASSERT_GE(place_of(older, all), 0);
    EXPECT_GE(place_of(newer, all), 0);   // hidden windows are enumerated too
    EXPECT_LT(place_of(newer, all), place_of(older, all));
    EXPECT_EQ(enumerate(1).size(), 1u);
    remove_window(newer);
    remove_window(older);
    EXPECT_FALSE(IsWindow(older));
}

static std::vector<DWORD> g_events;
static std::vector<std::pair<LONG, LONG>> g_objects;   // object and child id of each
static std::vector<HWND> g_event_windows;

static void CALLBACK record_event(HWINEVENTHOOK, DWORD event, HWND window, LONG object_id,
                                  LONG child_id, DWORD, DWORD)
{
    g_events.push_back(event);
    g_objects.push_back({object_id, child_id});
    g_event_windows.push_back(window);
}

// Hooks the move and size events, with the record of events cleared.
static HWINEVENTHOOK hook_move_size()
{
    g_events.clear();
    g_objects.clear();
    g_event_windows.clear();
    return SetWinEventHook(EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZEEND,
                           GetModuleHandleA(NULL), record_event, 0, 0,
                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNTHREAD);
}

TEST(Conformance, HooksSeeTheirRangeOnlyUntilRemoved)
{
    HWND window = make_window(0, false);
    HWINEVENTHOOK hook = hook_move_size();
    ASSERT_TRUE(hook != NULL);
    conformance::raise_from_other_thread(EVENT_SYSTEM_FOREGROUND, window);
    conformance::raise_from_other_thread(EVENT_SYSTEM_MOVESIZESTART, window);
    conformance::raise_from_other_thread(EVENT_OBJECT_CREATE, window);
    conformance::raise_from_other_thread(EVENT_SYSTEM_MOVESIZEEND, window);
    EXPECT_EQ(g_events, (std::vector<DWORD>{EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZEEND}));

    EXPECT_TRUE(UnhookWinEvent(hook));
    EXPECT_FALSE(UnhookWinEvent(hook));
    g_events.clear();
    conformance::raise_from_other_thread(EVENT_SYSTEM_MOVESIZESTART, window);
    EXPECT_TRUE(g_events.empty());
    remove_window(window);
}

TEST(Conformance, EventsRaisedBeforeTheHookWentStillReachItsCallback)
{
    // Out-of-context events are queued for the installing thread and outlive the hook, as the
    // fake desktop's queued events do. So the plug-in ignores what comes after turning off,
    // and its library stays loaded after endPlugin for those events to find its code.
    HWND window = make_window(0, false);
    HWINEVENTHOOK hook = hook_move_size();
    ASSERT_TRUE(hook != NULL);
    for (int i = 0; i < 3; ++i)
        conformance::raise_later_from_other_thread(EVENT_SYSTEM_MOVESIZESTART, window);
    EXPECT_TRUE(UnhookWinEvent(hook));
    conformance::let_callbacks_run();
    EXPECT_EQ(g_events.size(), 3u);
    remove_window(window);
}

TEST(Conformance, HooksReceiveTheObjectAndChildIdOfEachEvent)
{
    const LONG CARET = -8;   // OBJID_CARET
    HWND window = make_window(0, false);
    HWINEVENTHOOK hook = hook_move_size();
    ASSERT_TRUE(hook != NULL);
    conformance::raise_from_other_thread(EVENT_SYSTEM_MOVESIZESTART, window);
    conformance::raise_from_other_thread(EVENT_SYSTEM_MOVESIZESTART, window, CARET, CHILDID_SELF);
    conformance::raise_from_other_thread(EVENT_SYSTEM_MOVESIZEEND, window, OBJID_WINDOW, 3);
    const std::vector<std::pair<LONG, LONG>> expected = {
        {OBJID_WINDOW, CHILDID_SELF}, {CARET, CHILDID_SELF}, {OBJID_WINDOW, 3}};
    EXPECT_EQ(g_objects, expected);
    UnhookWinEvent(hook);
    remove_window(window);
}

TEST(Conformance, HooksSkipEventsOfTheInstallingThread)
{
    // Wine 8 delivers them all the same; Windows skips them. The plug-in does not depend
    // on either: the shell's own windows are reached by the passes either way.
    if (conformance::running_on_wine())
        GTEST_SKIP() << "Wine does not skip the installing thread's own events";
    HWND window = make_window(0, false);
    HWINEVENTHOOK hook = hook_move_size();
    conformance::raise_from_own_thread(EVENT_SYSTEM_MOVESIZESTART, window);
    EXPECT_TRUE(g_events.empty());
    conformance::raise_from_other_thread(EVENT_SYSTEM_MOVESIZESTART, window);
    EXPECT_EQ(g_events.size(), 1u);
    UnhookWinEvent(hook);
    remove_window(window);
}

TEST(Conformance, ChildWindowsSayChildInTheirStyleCanBeLayeredAndGoWithTheirParent)
{
    HWND top = make_window(0, false);
    HWND child = conformance::make_child_window(top);
    HWND owned = conformance::make_owned_window(top);
    ASSERT_TRUE(child && owned);
    EXPECT_NE(GetWindowLongA(child, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(GetWindowLongA(owned, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(GetWindowLongA(top, GWL_STYLE) & WS_CHILD, 0);
    // A child shows only while its parent does.
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_TRUE(IsWindowVisible(owned));

    // EnumWindows hands out owned windows, which are top-level, but no child window.
    std::vector<HWND> all = enumerate();
    EXPECT_GE(place_of(owned, all), 0);
    EXPECT_EQ(place_of(child, all), -1);

    // The root of a child is the top-level window that holds it; an owned window is its own.
    EXPECT_EQ(GetAncestor(child, GA_ROOT), top);
    EXPECT_EQ(GetAncestor(owned, GA_ROOT), owned);
    EXPECT_EQ(GetAncestor(top, GA_ROOT), top);

    // Windows 8 and later (for programs that declare them) and Wine layer child windows too.
    SetWindowLongA(child, GWL_EXSTYLE, GetWindowLongA(child, GWL_EXSTYLE) | WS_EX_LAYERED);
    EXPECT_NE(GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_TRUE(SetLayeredWindowAttributes(child, 0, 180, LWA_ALPHA));
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(layered_query()(child, NULL, &alpha, &flags));
    EXPECT_EQ(alpha, 180);
    EXPECT_EQ(flags, (DWORD)LWA_ALPHA);

    remove_window(top);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(owned));
}

// How a frame-hosted application's window sits in its frame: a child window made inside
// another process's window belongs to its own process, has that window for its root, and
// raises the creation event a frame's late content is followed by.
TEST(Conformance, AChildWindowOfAnotherProcessIsItsOwnProcesssAndHasItsParentForRoot)
{
    HWND frame = make_window(0, true);
    HWINEVENTHOOK hook = hook_move_size();
    HWINEVENTHOOK creation = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE,
                                             GetModuleHandleA(NULL), record_event, 0, 0,
                                             WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNTHREAD);
    HWND child = conformance::make_child_of_other_process(frame);
    ASSERT_TRUE(child != NULL);
    conformance::let_callbacks_run();
    DWORD frame_process = 0, child_process = 0;
    GetWindowThreadProcessId(frame, &frame_process);
    GetWindowThreadProcessId(child, &child_process);
    EXPECT_NE(child_process, 0u);
    EXPECT_NE(child_process, frame_process);
    EXPECT_EQ(GetAncestor(child, GA_ROOT), frame);
    EXPECT_EQ(GetWindow(frame, GW_CHILD), child);
    EXPECT_NE(GetWindowLongA(child, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_NE(std::find(g_event_windows.begin(), g_event_windows.end(), child),
              g_event_windows.end());
    UnhookWinEvent(creation);
    UnhookWinEvent(hook);

    // It goes with its process; the frame stays.
    conformance::end_other_process();
    EXPECT_FALSE(IsWindow(child));
    EXPECT_TRUE(IsWindow(frame));
    EXPECT_EQ(GetWindow(frame, GW_CHILD), (HWND)NULL);
    remove_window(frame);
}

TEST(Conformance, APropertyOnAnotherProcesssWindowIsReadAndRemovedByAnyProcess)
{
    static const char NAME[] = "Lumivane.Conformance";
    const UINT_PTR VALUE = 0x4C5612C8;   // a number, not a pointer: 32 bits for every process
    for (bool other_bitness : {false, true}) {
        SCOPED_TRACE(other_bitness ? "a process of the other bitness" : "a process of ours");
        HWND window = conformance::make_window_of_other_process(other_bitness);
        ASSERT_TRUE(window != NULL) << "the helper's window did not appear";
        // One global atom, whatever the case of its name.
        ATOM atom = GlobalAddAtomA(NAME);
        ASSERT_NE(atom, 0);
        EXPECT_EQ(GlobalAddAtomA("LUMIVANE.conformance"), atom);

        EXPECT_EQ(GetPropA(window, MAKEINTATOM(atom)), (HANDLE)NULL);
        ASSERT_TRUE(SetPropA(window, MAKEINTATOM(atom), (HANDLE)VALUE));
        EXPECT_EQ((UINT_PTR)GetPropA(window, MAKEINTATOM(atom)), VALUE);
        EXPECT_EQ((UINT_PTR)GetPropA(window, NAME), VALUE);
        // A later process finds it under the same name and removes it.
        EXPECT_EQ(conformance::take_property_elsewhere(window, NAME, other_bitness), VALUE);
        EXPECT_EQ(GetPropA(window, MAKEINTATOM(atom)), (HANDLE)NULL);

        // The process that set it removes it just as well.
        ASSERT_TRUE(SetPropA(window, MAKEINTATOM(atom), (HANDLE)VALUE));
        EXPECT_EQ((UINT_PTR)RemovePropA(window, MAKEINTATOM(atom)), VALUE);
        EXPECT_EQ(RemovePropA(window, MAKEINTATOM(atom)), (HANDLE)NULL);
        EXPECT_EQ(conformance::take_property_elsewhere(window, NAME, other_bitness), 0u);
        conformance::end_other_process();
    }
}

// At quit the plug-in makes a window whose thread does not answer at least opaque: reading
// its style and attributes and setting its attributes must neither wait on that thread nor
// depend on it to take effect, for a process of either bitness.
TEST(Conformance, LayeredAttributesOfAHungWindowOfAnotherProcessAreReadAndSetAtOnce)
{
    for (bool other_bitness : {false, true}) {
        SCOPED_TRACE(other_bitness ? "a process of the other bitness" : "a process of ours");
        HWND window = conformance::make_hung_window_of_other_process(other_bitness);
        ASSERT_TRUE(window != NULL) << "the helper's window did not appear";
        DWORD_PTR result = 0;
        EXPECT_FALSE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result));

        EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(layered_query()(window, NULL, &alpha, &flags));
        EXPECT_EQ(alpha, 120);
        EXPECT_TRUE(SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA));
        ASSERT_TRUE(layered_query()(window, NULL, &alpha, &flags));
        EXPECT_EQ(alpha, 255);
        EXPECT_EQ(flags, (DWORD)LWA_ALPHA);
        // Its thread has handled nothing meanwhile: none of it waited on that thread.
        EXPECT_FALSE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result));

        conformance::release_other_process();
        EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result));
        conformance::end_other_process();
    }
}
