#include "file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "error.h"
#include "plain_text.h"
#include "scratch_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace wrenfield {
namespace {

using testing::ReadAll;
using testing::ScratchFolder;

const std::string kOpenPrefix =
    "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xEE\xF2\xEA\xF0\xFB\xF2\xFC \xF4\xE0\xE9\xEB '";
const std::string kCreatePrefix =
    "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xF1\xEE\xE7\xE4\xE0\xF2\xFC \xF4\xE0\xE9\xEB '";

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

// The message of the Error thrown by f, or "" when none is thrown.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const Error& e) {
    return e.message();
  }
  return "";
}

TEST(FileSystem, ExistenceTellsFoldersFromFiles) {
  ScratchFolder folder;
  const std::string file = folder.Write("car.dff", "x");
  const std::string sub = folder.MakeFolder("parts.txt");
  EXPECT_FALSE(DirectoryExists(""));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(DirectoryExists(folder.path()));
  EXPECT_TRUE(DirectoryExists(sub));
  EXPECT_FALSE(FileExists(sub));
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(FileExists(folder.Join("missing.dff")));
  EXPECT_FALSE(DirectoryExists(folder.Join("missing")));
  EXPECT_EQ(JoinPath("a", "b"), std::string("a") + kPathSeparator + "b");
}

TEST(FileSystem, WildcardsMatchAsciiLettersWithoutCase) {
  EXPECT_TRUE(MatchesWildcard("*.txt", "README.TXT"));
  EXPECT_TRUE(MatchesWildcard("LANDSTAL.dff", "landstal.DFF"));
  EXPECT_TRUE(MatchesWildcard("*.txt", ".txt"));
  EXPECT_FALSE(MatchesWildcard("*.txt", "notes.txt.bak"));
  EXPECT_FALSE(MatchesWildcard("*.txt", "notes.tx"));
  EXPECT_TRUE(MatchesWildcard("?.dff", "a.dff"));
  EXPECT_FALSE(MatchesWildcard("?.dff", "ab.dff"));
  EXPECT_FALSE(MatchesWildcard("?.dff", ".dff"));
  EXPECT_TRUE(MatchesWildcard("*a*b*c", "xxaxxbxxbxc"));  // needs going back to a star
  EXPECT_FALSE(MatchesWildcard("*a*b*c", "xxaxxbxxbx"));
  EXPECT_TRUE(MatchesWildcard("*", ""));
  EXPECT_TRUE(MatchesWildcard("", ""));
  EXPECT_FALSE(MatchesWildcard("", "a"));
  EXPECT_TRUE(MatchesWildcard("ROLLER\t.dff", "roller\t.dff"));
  EXPECT_FALSE(MatchesWildcard("ROLLER\t.dff", "roller.dff"));
  // Only ASCII letters fold: Cyrillic А (0xC0) and а (0xE0) stay different.
  EXPECT_FALSE(MatchesWildcard("\xC0.dff", "\xE0.dff"));
  EXPECT_TRUE(MatchesWildcard("\xC0?.dff", "\xC0\xE0.dff"));
  // '[' and other characters have no special meaning.
  EXPECT_TRUE(MatchesWildcard("[a].txt", "[A].TXT"));
  EXPECT_FALSE(MatchesWildcard("[a].txt", "a.txt"));
}

TEST(FileSystem, FindFilesReturnsEntriesOfEveryKindAndNoOthers) {
  ScratchFolder folder;
  folder.Write("Read Me.TXT", "a");
  folder.Write(".hidden.txt", "b");
  folder.Write("car.dff", "c");
  folder.Write("notes.txt.old", "d");
  folder.MakeFolder("docs.txt");
  // Longer extensions whose short 8.3 form ends in the searched one match nothing.
  folder.Write("notes.txt1", "f");
  folder.Write("Read Me.txt~", "g");
  folder.Write("car.dff_old", "h");
  const auto names = FindFiles(folder.Join("*.txt"));
  EXPECT_EQ(Sorted(names), (std::vector<std::string>{".hidden.txt", "Read Me.TXT", "docs.txt"}));
  EXPECT_EQ(FindFiles(folder.Join("CAR.DFF")), std::vector<std::string>{"car.dff"});
  EXPECT_EQ(FindFiles(folder.Join("*.dff")), std::vector<std::string>{"car.dff"});
  EXPECT_TRUE(FindFiles(folder.Join("*.txd")).empty());
  EXPECT_TRUE(FindFiles(JoinPath(folder.Join("missing"), "*")).empty());
  // The pattern is split at the last separator only.
  folder.Write(JoinPath("docs.txt", "inner.txt"), "e");
  EXPECT_EQ(FindFiles(JoinPath(folder.Join("docs.txt"), "*.txt")),
            std::vector<std::string>{"inner.txt"});
}

TEST(FileSystem, TextSplitsAtEveryKindOfLineBreakAndEndsAtNul) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitTextLines(""), Lines{});
  EXPECT_EQ(SplitTextLines("one"), Lines{"one"});
  EXPECT_EQ(SplitTextLines("one\n"), Lines{"one"});
  EXPECT_EQ(SplitTextLines("a\rb\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitTextLines("a\n\rb"), (Lines{"a", "", "b"}));  // LF CR is two breaks
  EXPECT_EQ(SplitTextLines("\n\n"), (Lines{"", ""}));
  EXPECT_EQ(SplitTextLines("a\r\n\r\nb\r"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitTextLines(std::string("a\nb\0c\nd", 7)), (Lines{"a", "b"}));
  EXPECT_EQ(SplitTextLines(std::string("\0abc", 4)), Lines{});
  EXPECT_EQ(SplitTextLines(std::string("a\r\0\nb", 5)), Lines{"a"});
  EXPECT_EQ(SplitTextLines("tab\there \x01 kept"), Lines{"tab\there \x01 kept"});
}

TEST(FileSystem, ReadsWholeFilesAndReportsWhatCannotBeRead) {
  ScratchFolder folder;
  const std::string bytes("line\r\n\0\xFF\xC0 end", 12);
  const std::string file = folder.Write("data.bin", bytes);
  EXPECT_EQ(ReadFileBytes(file), bytes);
  const std::string big(200000, 'x');  // longer than one read buffer
  EXPECT_EQ(ReadFileBytes(folder.Write("big.txt", big)), big);

  const std::string missing = folder.Join("missing.txt");
  const std::string missingMessage = ErrorOf([&] { ReadFileBytes(missing); });
  EXPECT_EQ(missingMessage.rfind(kOpenPrefix + FullPath(missing) + "': ", 0), 0u) << missingMessage;
  EXPECT_GT(missingMessage.size(), (kOpenPrefix + FullPath(missing) + "': ").size());

  const std::string sub = folder.MakeFolder("folder.txt");
  EXPECT_EQ(ErrorOf([&] { ReadFileBytes(sub); }).rfind(kOpenPrefix + FullPath(sub) + "': ", 0), 0u);
}

TEST(FileSystem, WriteReplacesTheFileAndLeavesNoTemporaryFile) {
  ScratchFolder folder;
  const std::string file = folder.Write("handling.cfg", std::string(5000, 'o'));
  WriteFileReplacing(file, "new\r\n");
  EXPECT_EQ(ReadAll(file), "new\r\n");
  WriteFileReplacing(folder.Join("fresh.dat"), "");
  EXPECT_TRUE(FileExists(folder.Join("fresh.dat")));
  EXPECT_EQ(folder.EntryCount(), 2u);

  const std::string blocked = folder.MakeFolder("carcols.dat");
  const std::string message = ErrorOf([&] { WriteFileReplacing(blocked, "x"); });
  EXPECT_EQ(message.rfind(kCreatePrefix + FullPath(blocked) + "': ", 0), 0u) << message;
  EXPECT_TRUE(DirectoryExists(blocked));
  EXPECT_EQ(folder.EntryCount(), 3u);

  const std::string noFolder = JoinPath(folder.Join("missing"), "x.dat");
  EXPECT_EQ(ErrorOf([&] { WriteFileReplacing(noFolder, "x"); }).rfind(kCreatePrefix, 0), 0u);
}

TEST(FileSystem, ATemporaryFileLeftByAnEndedRunDoesNotBlockTheNextWrite) {
  // What an earlier run with this process id leaves when it ends between
  // creating its temporary file and renaming it over the target.
#ifdef _WIN32
  const std::string stale = ".wrenfield-" + std::to_string(GetCurrentProcessId()) + ".tmp";
#else
  const std::string stale = ".wrenfield-" + std::to_string(getpid()) + ".tmp";
#endif
  ScratchFolder folder;
  const std::string file = folder.Write("lastdir.ini", "old");
  folder.Write("lastdir.ini" + stale, "half");
  EXPECT_EQ(ErrorOf([&] { WriteFileReplacing(file, "new"); }), "");
  EXPECT_EQ(ReadAll(file), "new");
  const std::string backup = folder.Write("lastdir.ini.bak", "old");
  folder.Write("lastdir.ini.bak" + stale, "half");
  EXPECT_TRUE(CopyFileOver(file, backup));
  EXPECT_EQ(ReadAll(backup), "new");
  EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(FileSystem, CopyOverwritesWholeOrReportsFailure) {
  ScratchFolder folder;
  const std::string source = folder.Write("vehicles.ide", "short");
  const std::string target = folder.Write("vehicles.ide.bak", std::string(10000, 'L'));
  EXPECT_TRUE(CopyFileOver(source, target));
  EXPECT_EQ(ReadAll(target), "short");  // no tail of the longer old file
  EXPECT_TRUE(CopyFileOver(source, folder.Join("new.bak")));
  EXPECT_EQ(ReadAll(folder.Join("new.bak")), "short");

  EXPECT_FALSE(CopyFileOver(folder.Join("missing"), target));
  EXPECT_EQ(ReadAll(target), "short");
  EXPECT_FALSE(CopyFileOver(folder.MakeFolder("dir"), target));
  const std::string blocked = folder.MakeFolder("carmods.dat.bak");
  EXPECT_FALSE(CopyFileOver(source, blocked));
  EXPECT_TRUE(DirectoryExists(blocked));
  EXPECT_EQ(folder.EntryCount(), 5u);
}

TEST(FileSystem, FullPathAnchorsRelativePathsAtTheWorkingDirectory) {
  EXPECT_EQ(FullPath(""), "");
  ScratchFolder folder;
  EXPECT_EQ(FullPath(folder.Join("a.dff")), folder.Join("a.dff"));
  const std::string relative = FullPath("some.dff");
  EXPECT_NE(relative, "some.dff");
  EXPECT_EQ(relative.substr(relative.size() - 9), std::string(1, kPathSeparator) + "some.dff");
  EXPECT_TRUE(DirectoryExists(relative.substr(0, relative.size() - 9)));
}

#ifndef _WIN32
// Runs f in a child whose files may not grow beyond 1 KiB (a full disk, as the
// child sees it); returns the child's exit status.
template <typename F>
int InChildWithSmallFileLimit(F f) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(f());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

TEST(FileSystem, ShortWritesFailAndKeepTheOldFile) {
  ScratchFolder folder;
  const std::string file = folder.Write("handling.cfg", "stock");
  const std::string source = folder.Write("big.img", std::string(100000, 'b'));
  const int writeResult = InChildWithSmallFileLimit([&] {
    const std::string message = ErrorOf([&] { WriteFileReplacing(file, std::string(50000, 'n')); });
    return message.rfind(kCreatePrefix + file + "': ", 0) == 0 ? 0 : 1;
  });
  EXPECT_EQ(writeResult, 0);
  const int copyResult =
      InChildWithSmallFileLimit([&] { return CopyFileOver(source, file) ? 1 : 0; });
  EXPECT_EQ(copyResult, 0);
  EXPECT_EQ(ReadAll(file), "stock");
  EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(FileSystem, ANamedPipeWithoutWriterReadsAsEmptyInsteadOfWaiting) {
  ScratchFolder folder;
  const std::string pipe = folder.Join("readme.txt");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const pid_t child = fork();
  if (child == 0) {
    alarm(20);  // a read that waits for a writer ends the child by the signal
    _exit(ReadFileBytes(pipe).empty() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif

}  // namespace
}  // namespace wrenfield
