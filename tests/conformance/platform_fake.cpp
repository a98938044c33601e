// The conformance tests' desktop, on the fake.
#include "fake_desktop.h"
#include "platform.h"

namespace conformance {

static const char *const EXE = "C:\\Program Files\\Lumivane Tests\\conformance_test.exe";

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

HANDLE open_test_process(std::string *exe_path)
{
    *exe_path = EXE;
    return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, test_process());
}

void raise_from_own_thread(DWORD event, HWND window)
{
    fake::raise_event(event, window, GetCurrentThreadId());
}

void raise_from_other_thread(DWORD event, HWND window) { fake::raise_event(event, window); }

bool running_on_wine() { return false; }

}  // namespace conformance
