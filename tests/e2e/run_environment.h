// What the tests under Wine learn from the scripts that run them (scripts/lib/runner.sh): how
// much slower everything runs, where the build's programs are, and whether a 32-bit program
// may start here.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

// How many times longer than usual every wait may take: LUMIVANE_TIME_SCALE, a whole number
// from 1 to 100 (unset or anything else counts as 1). The emulated QEMU guest sets it
// (scripts/qemu-guest.sh).
inline DWORD time_scale()
{
    const char *text = getenv("LUMIVANE_TIME_SCALE");
    char *end = nullptr;
    long scale = text ? strtol(text, &end, 10) : 0;
    return text && end != text && *end == '\0' && scale >= 1 && scale <= 100 ? (DWORD)scale : 1;
}

// A path handed over by the build in the environment, or empty. Unix paths are reached
// through Wine's Z: drive, which maps the whole file system.
inline std::string path_from_environment(const char *name)
{
    const char *value = getenv(name);
    std::string path = value ? value : "";
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char &c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

// "error N: the system's words for it", for the failure the calling thread saw last: a test
// that cannot copy or start a program says why (a full disk, a missing file).
inline std::string system_error()
{
    DWORD code = GetLastError();
    char text[256] = "";
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  code, 0, text, sizeof text, NULL);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        text[--length] = '\0';
    return "error " + std::to_string(code) + (length ? ": " + std::string(text) : std::string());
}

// Where this machine's kernel runs no 32-bit code, or where that road is chosen, the scripts
// set LUMIVANE_NO_32BIT=1 and run the tests that start 32-bit programs in the QEMU guest
// instead (scripts/live-tests.sh); a test that starts one outside the guest all the same must
// say so plainly.

// Empty when program may start, or started; otherwise why a 32-bit program cannot, and what
// runs it in the guest. did_not_start: the program was tried and never became ready.
inline std::string why_32bit_program_cannot_run(const std::string &program, bool did_not_start)
{
    DWORD kind = 0;
    if (!GetBinaryTypeA(program.c_str(), &kind) || kind != SCS_32BIT_BINARY)
        return std::string();
    const char *no_32bit = getenv("LUMIVANE_NO_32BIT");
    bool refused = no_32bit && strcmp(no_32bit, "1") == 0;
    if (!refused && !did_not_start)
        return std::string();
    return program + " is a 32-bit program, and " +
           (refused ? "32-bit programs do not run here (LUMIVANE_NO_32BIT=1: this machine's "
                      "kernel runs none, or that road was chosen)."
                    : "it did not start: this machine's kernel may run no 32-bit code "
                      "(scripts/can-run-x86.sh -v says).") +
           " scripts/live-tests.sh runs the tests that start 32-bit programs in a QEMU guest "
           "where they do not run here (LUMIVANE_NO_32BIT=1 takes that road anywhere); one "
           "test by hand: scripts/qemu-guest.sh scripts/live-tests.sh win64 -R TEST";
}
