// Test helpers: the built tool and other programs run as a user runs them,
// from a shell, on a pipe or on a terminal.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace cli_test {

struct ToolResult {
  int status = -1;
  std::string out;
  std::string err;
};

// `arg` quoted for the shell.
std::string Quote(const std::string& arg);

// The built huesieve-render and `args`, quoted into a command line.
std::string ToolCommand(const std::vector<std::string>& args);

// Runs `script` with bash, standard input from /dev/null; its standard output
// and error are the result's.
ToolResult RunShell(const std::string& script);

// Runs `program` with `args`, in `working_directory` when one is given.
ToolResult RunCapturing(const std::string& program, const std::vector<std::string>& args,
                        const std::filesystem::path& working_directory = {});

// Runs the built huesieve-render with `args`, in `working_directory` when
// one is given.
ToolResult RunTool(const std::vector<std::string>& args,
                   const std::filesystem::path& working_directory = {});

// Runs the built huesieve-render with standard input and error on a
// pseudo-terminal and standard output to /dev/null; `err` is what the
// terminal received.
ToolResult RunToolOnTerminal(const std::vector<std::string>& args);

// Runs `program` with `args` through the shell; returns the exit status.
int RunProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace cli_test
