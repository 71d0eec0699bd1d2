#include "cli/cli.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdio_ext.h>
#include <iostream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Standard output, buffered; flushed after every batch line when someone reads as it comes
// (a terminal, a pipe, a socket), so an endless batch answers as it goes. A write that fails
// is remembered with the system's reason.
class StandardOutput : public CliOutput
{
public:
    StandardOutput()
    {
        struct stat st {};
        m_each_line = isatty(STDOUT_FILENO)
                      || (fstat(STDOUT_FILENO, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)));
    }
    // An empty view may have no data at all, which fwrite must not be given.
    void out(std::string_view text) override
    {
        if (m_error == 0 && !text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
            m_error = errno ? errno : EIO;
    }
    void err(std::string_view text) override
    {
        if (!text.empty())
            std::fwrite(text.data(), 1, text.size(), stderr);
    }
    bool done(std::string &failure) override
    {
        m_reported = !check(m_each_line, failure);
        return !m_reported;
    }
    bool reads_as_it_comes() const override { return m_each_line; }
    // Whether run_cli has been told of a failure already (and said so).
    bool reported() const { return m_reported; }
    bool check(bool flush, std::string &failure)
    {
        errno = 0;
        if (m_error == 0 && flush && std::fflush(stdout) != 0)
            m_error = errno ? errno : EIO;
        if (m_error == 0)
            return true;
        failure = std::strerror(m_error);
        return false;
    }

private:
    bool m_each_line = false;
    bool m_reported = false;
    int m_error = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    // A reader that closed the pipe is a failed write, reported like any other.
    std::signal(SIGPIPE, SIG_IGN);
    std::ios::sync_with_stdio(false);
    // Only this thread writes answers (a batch's helper thread hands its texts over), so the
    // buffered answers need no lock around every write.
    __fsetlocking(stdout, FSETLOCKING_BYCALLER);
    const std::vector<std::string> args(argv + 1, argv + argc);
    StandardOutput output;
    struct stat in {};
    const bool in_is_a_file = fstat(STDIN_FILENO, &in) == 0 && S_ISREG(in.st_mode);
    const int status = run_cli(args, std::cin, output, in_is_a_file);
    std::string failure;
    if (!output.reported() && !output.check(true, failure)) {
        std::fprintf(stderr, "ohmara-cli: could not write the output: %s\n", failure.c_str());
        return CLI_IO;
    }
    return status;
}
