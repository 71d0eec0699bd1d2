#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

// Exit statuses of ohmara-cli, one per kind of failure; a batch ends with the highest of its
// lines'.
enum CliStatus : int {
    CLI_OK = 0,
    CLI_GUARD = 1,   // the formula's own check failed; its message is printed
    CLI_USAGE = 2,   // unknown command, tab or quantity; a missing or repeated value
    CLI_ILLEGAL = 3, // a value that is not a number, a line that is not text
    CLI_IO = 4,      // a file that cannot be read, an output that cannot be written
};

// Where ohmara-cli's texts go: the process's standard streams, or strings in tests.
class CliOutput
{
public:
    virtual ~CliOutput() = default;
    virtual void out(std::string_view text) = 0;
    virtual void err(std::string_view text) = 0;
    // One command (or batch line) is done: what it printed should reach the reader now. False
    // when the output can no longer be written; failure then says why.
    virtual bool done(std::string &failure)
    {
        (void)failure;
        return true;
    }
    // Whether someone reads the answers as they come (a terminal, a pipe): a batch then
    // answers each line before it reads the next.
    virtual bool reads_as_it_comes() const { return false; }
};

// Runs one command line (without the program name) with standard input taken from in;
// in_is_a_file says that it is a regular file, read at will rather than as it comes.
int run_cli(const std::vector<std::string> &args, std::istream &in, CliOutput &output,
            bool in_is_a_file = false);
// The same, appending what it prints to out and err.
int run_cli(const std::vector<std::string> &args, std::istream &in, std::string &out,
            std::string &err);
int run_cli(const std::vector<std::string> &args, std::string &out, std::string &err);
