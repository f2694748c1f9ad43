// Runs one command-line transcript: a workflow written as data, each step run
// through the real `kestrel` program in a fresh temporary folder (the working
// folder of every step, so files are named as a user in that folder names them).
//
// Usage: cli_transcripts FILE.txt   (one ctest case per transcript file)
//
// Lines of a transcript, in order:
//   # text              a comment; blank lines are ignored too
//   % examples          copy the shipped examples (circuits, library, cross-reference) in
//   % sh COMMAND        a shell command run in the folder that must succeed: damage, links,
//                       removal, runs of $KESTREL side by side, or a check of a file (the last
//                       run's output is in .out and .err)
//   $ kestrel ARGS...   run the program; ARGS are split as a shell splits them (quotes)
//   < text              a line fed to the next run's stdin (written before the `$` line)
//   ? N                 the exit code of the last run (0 when not given)
//   > text              the next line of stdout, exactly (`>` alone: an empty line); once any
//                       `>` line is given the whole stdout must be these lines and no more
//   >.                  no stdout at all
//   >~ text             text appears somewhere in stdout
//   ! text              text appears somewhere in stderr
//   !- text             text appears nowhere in stderr
//   = FILE exists|missing|sha256 HEX   the state of a file after the last run
// $DIR in any text stands for the temporary folder. KESTREL_UPDATE_GOLDEN=1 rewrites the
// `>` lines of every run from what the program printed.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wordexp.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_kestrel.hpp"

namespace {

using kestrel::test::shellQuoted;
using kestrel::test::slurp;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
  return text;
}

// Words as a shell splits them (quotes group, backslash escapes), nothing expanded.
std::vector<std::string> shellWords(const std::string& line) {
  std::vector<std::string> words;
  wordexp_t w;
  if (::wordexp(line.c_str(), &w, WRDE_NOCMD | WRDE_UNDEF) != 0) return {"<not split: " + line + ">"};
  for (std::size_t i = 0; i < w.we_wordc; ++i) words.emplace_back(w.we_wordv[i]);
  ::wordfree(&w);
  return words;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

struct Step {
  std::string command;  // the `$` line as written
  int exitCode = -1;
  std::string out, err;
  std::size_t outLine = 0;  // how many `>` lines were matched
  bool exact = false;       // some `>` line was given
};

class Transcript : public ::testing::Test {
 public:
  explicit Transcript(std::string path) : path_(std::move(path)) {}
  void TestBody() override;

 private:
  std::string path_;
};

void Transcript::TestBody() {
  char name[] = "/tmp/kestrel-transcript-XXXXXX";
  ASSERT_NE(::mkdtemp(name), nullptr);
  const std::string dir(name);
  const bool update = std::getenv("KESTREL_UPDATE_GOLDEN") != nullptr;
  std::vector<std::string> written;  // the transcript again, with fresh `>` lines
  std::string input;
  Step run;
  bool ran = false;
  bool exitChecked = true;
  auto closeRun = [&] {
    if (!ran) return;
    if (!exitChecked) {
      EXPECT_EQ(run.exitCode, 0) << run.command << "\n" << run.err;
    }
    if (run.exact && !update) {
      EXPECT_EQ(run.outLine, lines(run.out).size()) << run.command << ": more output than expected\n" << run.out;
    }
  };
  const auto source = lines(slurp(path_));
  for (std::size_t n = 0; n < source.size(); ++n) {
    const std::string& raw = source[n];
    const std::string line = replaced(raw, "$DIR", dir);
    const std::string where = path_ + ":" + std::to_string(n + 1) + ": ";
    auto rest = [&](std::size_t from) { return line.size() > from ? line.substr(from) : std::string(); };
    if (line == ">.") {  // no stdout at all
      run.exact = true;
      continue;
    }
    if (line.rfind("> ", 0) == 0 || line == ">") {
      run.exact = true;
      if (update) continue;  // rewritten right after the `$` line
      const auto out = lines(run.out);
      const std::string got = run.outLine < out.size() ? out[run.outLine] : "<no more output>";
      EXPECT_EQ(got, rest(2)) << where << run.command;
      ++run.outLine;
      continue;
    }
    written.push_back(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("< ", 0) == 0 || line == "<") {
      input += rest(2) + "\n";
    } else if (line == "% examples") {
      for (const auto& e : std::filesystem::directory_iterator(KESTREL_EXAMPLES)) {
        if (!e.is_regular_file()) continue;  // examples/scripts
        std::filesystem::copy_file(e.path(), dir + "/" + e.path().filename().string());
      }
    } else if (line.rfind("% sh ", 0) == 0) {
      const std::string env = "XDG_CONFIG_HOME=" + shellQuoted(dir) + " KESTREL=" + shellQuoted(KESTREL_BIN);
      EXPECT_EQ(std::system(("cd " + shellQuoted(dir) + " || exit 1; export " + env + "; " + rest(5)).c_str()), 0) << where << line;
    } else if (line.rfind("$ kestrel", 0) == 0) {
      closeRun();
      run = Step{};
      run.command = raw;
      ran = true;
      exitChecked = false;
      std::ofstream(dir + "/.in") << input;
      input.clear();
      // Settings and the operation log stay in the folder; a hung run is cut off (124).
      std::string cmd = "cd " + shellQuoted(dir) + " && XDG_CONFIG_HOME=" + shellQuoted(dir) + " timeout 60 " + shellQuoted(KESTREL_BIN);
      for (const std::string& a : shellWords(rest(9))) cmd += " " + shellQuoted(a);
      cmd += " <.in >.out 2>.err";
      const int status = std::system(cmd.c_str());
      run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      run.out = slurp(dir + "/.out");
      run.err = slurp(dir + "/.err");
      // Fresh `>` lines follow the `$` line; the folder's own name is written back as $DIR.
      if (update) {
        bool exact = false;  // only runs that had `>` lines get them again
        for (std::size_t k = n + 1; k < source.size() && source[k].rfind("$ ", 0) != 0; ++k) {
          exact = exact || source[k].rfind("> ", 0) == 0 || source[k] == ">" || source[k] == ">.";
        }
        for (const std::string& o : lines(replaced(run.out, dir, "$DIR"))) {
          if (exact) written.push_back(o.empty() ? ">" : "> " + o);
        }
        if (exact && run.out.empty()) written.push_back(">.");
      }
    } else if (line.rfind("? ", 0) == 0) {
      exitChecked = true;
      EXPECT_EQ(run.exitCode, std::atoi(rest(2).c_str())) << where << run.command << "\n" << run.out << run.err;
    } else if (line.rfind(">~ ", 0) == 0) {
      EXPECT_TRUE(run.out.find(rest(3)) != std::string::npos) << where << run.command << "\nstdout:\n" << run.out;
    } else if (line.rfind("!- ", 0) == 0) {
      EXPECT_EQ(run.err.find(rest(3)), std::string::npos) << where << run.command << "\nstderr:\n" << run.err;
    } else if (line.rfind("! ", 0) == 0) {
      EXPECT_TRUE(run.err.find(rest(2)) != std::string::npos) << where << run.command << "\nstderr:\n" << run.err;
    } else if (line.rfind("= ", 0) == 0) {
      const auto words = shellWords(rest(2));
      ASSERT_GE(words.size(), 2u) << where << line;
      const std::string file = dir + "/" + words[0];
      if (words[1] == "exists") {
        EXPECT_TRUE(std::filesystem::exists(file)) << where << line;
      } else if (words[1] == "missing") {
        EXPECT_FALSE(std::filesystem::exists(file)) << where << line;
      } else if (words[1] == "sha256" && words.size() == 3) {
        const std::string check = "echo " + shellQuoted(words[2] + "  " + file) + " | sha256sum --quiet -c >/dev/null 2>&1";
        EXPECT_EQ(std::system(check.c_str()), 0) << where << line;
      } else {
        ADD_FAILURE() << where << "not a file check: " << line;
      }
    } else {
      ADD_FAILURE() << where << "not a transcript line: " << line;
    }
  }
  closeRun();
  std::filesystem::remove_all(dir);
  if (update) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    for (const std::string& w : written) out << w << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string path = argv[i];
    ::testing::RegisterTest("Transcript", std::filesystem::path(path).stem().c_str(), nullptr, nullptr, __FILE__,
                            __LINE__, [path]() -> ::testing::Test* { return new Transcript(path); });
  }
  return RUN_ALL_TESTS();
}
