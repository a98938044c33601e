// The conformance tests' desktop, on the fake.
#include "fake_desktop.h"
#include "platform.h"

namespace conformance {

static const char *const EXE = "C:\\Program Files\\Lumivane Tests\\conformance_test.exe";
static const char *const HELPER_EXE = "C:\\Program Files\\Lumivane Tests\\conformance_helper.exe";

// The test's own process, on whatever desktop the other tests left (a fresh one at first).
static DWORD test_process()
{
    static DWORD process = 0;
    if (!process || !fake::process_exists(process)) {
        if (!IsWindow(fake::shell_window()))
            fake::reset();
        process = fake::add_process(EXE);
    }
    return process;
}

HWND make_window(LONG ex_style, bool visible)
{
    return fake::add_window(test_process(), {.visible = visible, .ex_style = ex_style});
}

void remove_window(HWND window) { fake::destroy_window(window); }

HWND make_child_window(HWND parent) { return fake::add_child_window(parent); }

HWND make_owned_window(HWND owner)
{
    return fake::add_window(test_process(), {.style = (LONG)WS_POPUP, .owner = owner});
}

// One desktop holds both bitnesses here.
static DWORD s_other_process;

HWND make_window_of_other_process(bool)
{
    test_process();
    s_other_process = fake::add_process(HELPER_EXE);
    return fake::add_window(s_other_process);
}

void end_other_process() { fake::exit_process(s_other_process); }

// Windows raises the creation event in the process that makes the window.
HWND make_child_of_other_process(HWND parent)
{
    s_other_process = fake::add_process(HELPER_EXE);
    HWND child = fake::add_child_window(parent, {}, s_other_process);
    fake::queue_event(EVENT_OBJECT_CREATE, child);
    return child;
}

static HWND s_hung_window;

HWND make_hung_window_of_other_process(bool other_bitness)
{
    s_hung_window = make_window_of_other_process(other_bitness);
    fake::set_own_layered(s_hung_window, 0, 120, LWA_ALPHA);
    fake::set_hung(s_hung_window, true);
    return s_hung_window;
}

void release_other_process() { fake::set_hung(s_hung_window, false); }

UINT_PTR take_property_elsewhere(HWND window, const char *name, bool)
{
    return (UINT_PTR)RemovePropA(window, MAKEINTATOM(GlobalAddAtomA(name)));
}

HANDLE open_test_process(std::string *exe_path)
{
    *exe_path = EXE;
    return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, test_process());
}

void raise_from_own_thread(DWORD event, HWND window)
{
    fake::raise_event(event, window, GetCurrentThreadId());
}

void raise_from_other_thread(DWORD event, HWND window, LONG object_id, LONG child_id)
{
    fake::raise_event(event, window, 0, object_id, child_id);
}

void raise_later_from_other_thread(DWORD event, HWND window) { fake::queue_event(event, window); }

void let_callbacks_run() { fake::deliver_queued_events(); }

bool running_on_wine() { return false; }

}  // namespace conformance
