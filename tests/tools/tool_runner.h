// Runs the mirbax tool as a user would and captures what it prints.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char **environ;

namespace mirbax::testing {

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// A directory of its own for each test's files, removed at the end.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    char pattern[] = "/tmp/mirbax-tool-test-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~ScratchDirectory() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string &name) const { return path_ + "/" + name; }
  const std::string &Path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::string &path, const std::string &content) {
  std::ofstream(path, std::ios::binary) << content;
}

// `mirbax ARGS...`, standard input empty, in `directory` when given.
inline ToolRun RunTool(const std::vector<std::string> &args, const std::string &directory = "") {
  ScratchDirectory scratch;
  const std::string outPath = scratch.File("out"), errPath = scratch.File("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  std::vector<std::string> words{MIRBAX_TOOL_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ToolRun run;
  pid_t pid = 0;
  if (posix_spawn(&pid, MIRBAX_TOOL_PATH, &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = ReadFile(outPath);
  run.err = ReadFile(errPath);
  return run;
}

inline std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline bool Contains(const std::string &text, const std::string &part) {
  return text.find(part) != std::string::npos;
}

// True when the library answers a family's call on a capable simulated board
// with 50, the code of functions not built yet: the family's tests then skip.
inline bool FamilyNotBuilt(const std::vector<std::string> &probe) {
  const ToolRun run = RunTool(probe);
  // 50: the library function is not built yet; 31: the simulated board
  // does not answer the family's requests yet.
  return Contains(run.err, ": 50 (") || Contains(run.err, ": 31 (");
}

}  // namespace mirbax::testing
