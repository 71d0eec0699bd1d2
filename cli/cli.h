#pragma once

#include <istream>
#include <string>
#include <vector>

// Exit statuses of ohmara-cli, one per kind of failure.
enum CliStatus : int {
    CLI_OK = 0,
    CLI_GUARD = 1,   // the formula's own check failed; its message is printed
    CLI_USAGE = 2,   // unknown command, tab or quantity; a missing or repeated value
    CLI_ILLEGAL = 3, // a value that is not a number
    CLI_IO = 4,      // a file that cannot be read
};

// Runs one command line (without the program name), appending what it prints to out and err.
int run_cli(const std::vector<std::string> &args, std::string &out, std::string &err);
// The same with standard input taken from in.
int run_cli(const std::vector<std::string> &args, std::istream &in, std::string &out,
            std::string &err);
