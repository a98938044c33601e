// A program started by the live tests, with its standard input and output on pipes.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
public:
    // Starts command_line in directory (the current one when empty); standard error goes to
    // the same pipe as standard output. started() tells whether it worked.
    ChildProcess(const std::string &command_line, const std::string &directory);
    // Ends the program if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool started() const { return process_ != NULL; }
    DWORD id() const { return id_; }

    void send_line(const std::string &line);

    // The first line not yet taken that satisfies wanted, waiting up to timeout_ms for it.
    // Lines before it count as taken too, so consecutive waits follow the output in order.
    std::optional<std::string> wait_for_line(const std::function<bool(const std::string &)> &wanted,
                                             DWORD timeout_ms);
    std::optional<std::string> wait_for_prefix(const std::string &prefix, DWORD timeout_ms);

    // Everything read so far, for failure messages.
    std::string transcript();
    // Everything read so far, byte for byte.
    const std::string &raw_output()
    {
        read_available();
        return raw_;
    }

    // The exit code once the program has ended within timeout_ms, or nothing.
    std::optional<DWORD> wait_for_exit(DWORD timeout_ms);
    bool running();
    void terminate();

private:
    void read_available();

    std::string command_line_;
    std::string start_error_;   // why it could not start
    HANDLE process_ = NULL;
    DWORD id_ = 0;
    HANDLE input_ = NULL;    // our end of its standard input
    HANDLE output_ = NULL;   // our end of its standard output and error
    std::string pending_;    // a line not yet ended
    std::string raw_;
    std::vector<std::string> lines_;
    size_t next_line_ = 0;   // the first line not yet taken by a wait
};
