#include "child_process.h"

#include "run_environment.h"

#include <cstdio>

namespace {

const DWORD POLL_INTERVAL_MS = 10;

// A pipe whose child end is inherited and whose parent end is not: a child started later
// must not hold this one's ends open, or the parent would never see the pipe close.
bool make_pipe(HANDLE *read_end, HANDLE *write_end, bool child_reads)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, NULL, TRUE};
    if (!CreatePipe(read_end, write_end, &attributes, 0))
        return false;
    SetHandleInformation(child_reads ? *write_end : *read_end, HANDLE_FLAG_INHERIT, 0);
    return true;
}

}  // namespace

ChildProcess::ChildProcess(const std::string &command_line, const std::string &directory)
    : command_line_(command_line)
{
    HANDLE child_input = NULL, child_output = NULL;
    if (!make_pipe(&child_input, &input_, true))
        return;
    if (!make_pipe(&output_, &child_output, false)) {
        CloseHandle(child_input);
        return;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = child_input;
    startup.hStdOutput = child_output;
    startup.hStdError = child_output;
    PROCESS_INFORMATION info = {};
    std::string writable = command_line;
    if (CreateProcessA(NULL, writable.data(), NULL, NULL, TRUE, 0, NULL,
                       directory.empty() ? NULL : directory.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    } else {
        start_error_ = system_error();
    }
    CloseHandle(child_input);
    CloseHandle(child_output);
}

ChildProcess::~ChildProcess()
{
    terminate();
    for (HANDLE handle : {process_, input_, output_}) {
        if (handle)
            CloseHandle(handle);
    }
}

void ChildProcess::send_line(const std::string &line)
{
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
}

void ChildProcess::read_available()
{
    DWORD available = 0;
    while (output_ && PeekNamedPipe(output_, NULL, 0, NULL, &available, NULL) && available > 0) {
        char buffer[4096];
        DWORD count = 0;
        if (!ReadFile(output_, buffer, available < sizeof buffer ? available : sizeof buffer,
                      &count, NULL) ||
            count == 0)
            return;
        raw_.append(buffer, count);
        pending_.append(buffer, count);
        size_t end;
        while ((end = pending_.find('\n')) != std::string::npos) {
            std::string line = pending_.substr(0, end);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines_.push_back(line);
            pending_.erase(0, end + 1);
        }
    }
}

std::optional<std::string> ChildProcess::wait_for_line(
    const std::function<bool(const std::string &)> &wanted, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        read_available();
        for (size_t i = next_line_; i < lines_.size(); ++i) {
            if (wanted(lines_[i])) {
                next_line_ = i + 1;
                return lines_[i];
            }
        }
        if (GetTickCount() - start >= timeout_ms)
            return std::nullopt;
        Sleep(POLL_INTERVAL_MS);
    }
}

std::optional<std::string> ChildProcess::wait_for_prefix(const std::string &prefix,
                                                         DWORD timeout_ms)
{
    return wait_for_line(
        [&](const std::string &line) { return line.compare(0, prefix.size(), prefix) == 0; },
        timeout_ms);
}

std::string ChildProcess::transcript()
{
    read_available();
    // Why a program said nothing: it never started, or it ended (0xc0000135: a DLL is missing).
    DWORD code = STILL_ACTIVE;
    char ended[48] = "";
    if (process_ && GetExitCodeProcess(process_, &code) && code != STILL_ACTIVE)
        snprintf(ended, sizeof ended, " (it ended with exit code 0x%lx)", (unsigned long)code);
    std::string text = "output of " + command_line_ +
                       (process_ ? ended : " (it could not start, " + start_error_ + ")") + ":\n";
    for (const std::string &line : lines_)
        text += "  | " + line + "\n";
    if (!pending_.empty())
        text += "  | " + pending_ + "\n";
    return text;
}

std::optional<DWORD> ChildProcess::wait_for_exit(DWORD timeout_ms)
{
    DWORD code = 0;
    if (!process_ || WaitForSingleObject(process_, timeout_ms) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_, &code))
        return std::nullopt;
    read_available();
    return code;
}

bool ChildProcess::running()
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void ChildProcess::terminate()
{
    if (running()) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
}
