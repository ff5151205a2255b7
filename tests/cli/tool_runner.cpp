#include "tests/cli/tool_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/cli/png_fixtures.h"

namespace cli_test {
namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int ExitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

}  // namespace

std::string Quote(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

namespace {

// `program` and `args`, quoted into a command line.
std::string CommandLine(const std::string& program, const std::vector<std::string>& args) {
  // Appended piece by piece: GCC 12 misreads `"literal" + std::string` at -O3
  // as an overlapping copy (-Wrestrict).
  std::string command = Quote(program);
  for (const std::string& arg : args) {
    command += ' ';
    command += Quote(arg);
  }
  return command;
}

}  // namespace

std::string ToolCommand(const std::vector<std::string>& args) {
  return CommandLine(HUESIEVE_RENDER_PATH, args);
}

ToolResult RunShell(const std::string& script) {
  const ScratchDir streams;
  std::string command = "bash -c ";
  command += Quote(script);
  command += " >";
  command += Quote((streams / "out").string());
  command += " 2>";
  command += Quote((streams / "err").string());
  command += " </dev/null";
  ToolResult result;
  result.status = ExitStatus(std::system(command.c_str()));
  result.out = ReadText(streams / "out");
  result.err = ReadText(streams / "err");
  return result;
}

ToolResult RunCapturing(const std::string& program, const std::vector<std::string>& args,
                        const std::filesystem::path& working_directory) {
  std::string script;
  if (!working_directory.empty()) {
    script += "cd ";
    script += Quote(working_directory.string());
    script += " && ";
  }
  script += CommandLine(program, args);
  return RunShell(script);
}

ToolResult RunTool(const std::vector<std::string>& args,
                   const std::filesystem::path& working_directory) {
  return RunCapturing(HUESIEVE_RENDER_PATH, args, working_directory);
}

ToolResult RunToolOnTerminal(const std::vector<std::string>& args) {
  std::vector<std::string> argv_text = {HUESIEVE_RENDER_PATH};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int terminal = -1;
  const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ToolResult result;
  if (child < 0) return result;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got > 0) {
      result.err.append(buffer, static_cast<std::size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EIO once the child has closed the terminal
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(terminal);
  result.status = ExitStatus(status);
  return result;
}

int RunProgram(const std::string& program, const std::vector<std::string>& args) {
  std::string command = CommandLine(program, args);
  command += " >/dev/null 2>&1 </dev/null";
  return ExitStatus(std::system(command.c_str()));
}

}  // namespace cli_test
