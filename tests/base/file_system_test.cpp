#include "file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "error_of.h"
#include "fault_seam.h"
#include "file_bytes.h"
#include "file_layer.h"
#include "readable_text.h"
#include "scratch_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace wrenfield {
namespace {

using testing::ErrorOf;
using testing::ReadAll;
using testing::ScratchDir;

const std::string kOpenPrefix = Cp1251("Не удаётся открыть файл '");
const std::string kCreatePrefix = Cp1251("Не удаётся создать файл '");

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileSystem, ExistenceTellsFoldersFromFiles) {
  ScratchDir folder;
  const std::string file = folder.Write("car.dff", "x");
  const std::string sub = folder.MakeFolder("parts.txt");
  EXPECT_FALSE(DirectoryExists(""));
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(DirectoryExists(folder.path()));
  EXPECT_TRUE(DirectoryExists(sub));
  EXPECT_FALSE(FileExists(sub));
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(DirectoryExists(file));
  EXPECT_FALSE(FileExists(folder.Path("missing.dff")));
  EXPECT_FALSE(DirectoryExists(folder.Path("missing")));
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
  ScratchDir folder;
  folder.Write("Read Me.TXT", "a");
  folder.Write(".hidden.txt", "b");
  folder.Write("car.dff", "c");
  folder.Write("notes.txt.old", "d");
  folder.MakeFolder("docs.txt");
  // Longer extensions whose short 8.3 form ends in the searched one match nothing.
  folder.Write("notes.txt1", "f");
  folder.Write("Read Me.txt~", "g");
  folder.Write("car.dff_old", "h");
  const auto names = FindFiles(folder.Path("*.txt"));
  EXPECT_EQ(Sorted(names), (std::vector<std::string>{".hidden.txt", "Read Me.TXT", "docs.txt"}));
  EXPECT_EQ(FindFiles(folder.Path("CAR.DFF")), std::vector<std::string>{"car.dff"});
  EXPECT_EQ(FindFiles(folder.Path("*.dff")), std::vector<std::string>{"car.dff"});
  EXPECT_TRUE(FindFiles(folder.Path("*.txd")).empty());
  EXPECT_TRUE(FindFiles(JoinPath(folder.Path("missing"), "*")).empty());
  // The pattern is split at the last separator only.
  folder.Write(JoinPath("docs.txt", "inner.txt"), "e");
  EXPECT_EQ(FindFiles(JoinPath(folder.Path("docs.txt"), "*.txt")),
            std::vector<std::string>{"inner.txt"});
}

TEST(FileSystem, ReadsWholeFilesAndReportsWhatCannotBeRead) {
  ScratchDir folder;
  const std::string bytes("line\r\n\0\xFF\xC0 end", 12);
  const std::string file = folder.Write("data.bin", bytes);
  EXPECT_EQ(ReadFileBytes(file), bytes);
  const std::string big(200000, 'x');  // longer than one read buffer
  EXPECT_EQ(ReadFileBytes(folder.Write("big.txt", big)), big);

  const std::string missing = folder.Path("missing.txt");
  const std::string missingMessage = ErrorOf([&] { ReadFileBytes(missing); });
  EXPECT_EQ(missingMessage.rfind(kOpenPrefix + FullPath(missing) + "': ", 0), 0u) << missingMessage;
  EXPECT_GT(missingMessage.size(), (kOpenPrefix + FullPath(missing) + "': ").size());

  const std::string sub = folder.MakeFolder("folder.txt");
  EXPECT_EQ(ErrorOf([&] { ReadFileBytes(sub); }).rfind(kOpenPrefix + FullPath(sub) + "': ", 0), 0u);
}

TEST(FileSystem, WriteReplacesTheFileAndLeavesNoTemporaryFile) {
  ScratchDir folder;
  const std::string file = folder.Write("handling.cfg", std::string(5000, 'o'));
  WriteFileReplacing(file, "new\r\n");
  EXPECT_EQ(ReadAll(file), "new\r\n");
  WriteFileReplacing(folder.Path("fresh.dat"), "");
  EXPECT_TRUE(FileExists(folder.Path("fresh.dat")));
  EXPECT_EQ(folder.EntryCount(), 2u);

  const std::string blocked = folder.MakeFolder("carcols.dat");
  const std::string message = ErrorOf([&] { WriteFileReplacing(blocked, "x"); });
  EXPECT_EQ(message.rfind(kCreatePrefix + FullPath(blocked) + "': ", 0), 0u) << message;
  EXPECT_TRUE(DirectoryExists(blocked));
  EXPECT_EQ(folder.EntryCount(), 3u);

  const std::string noFolder = JoinPath(folder.Path("missing"), "x.dat");
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
  ScratchDir folder;
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
  ScratchDir folder;
  const std::string source = folder.Write("vehicles.ide", "short");
  const std::string target = folder.Write("vehicles.ide.bak", std::string(10000, 'L'));
  EXPECT_TRUE(CopyFileOver(source, target));
  EXPECT_EQ(ReadAll(target), "short");  // no tail of the longer old file
  EXPECT_TRUE(CopyFileOver(source, folder.Path("new.bak")));
  EXPECT_EQ(ReadAll(folder.Path("new.bak")), "short");

  EXPECT_FALSE(CopyFileOver(folder.Path("missing"), target));
  EXPECT_EQ(ReadAll(target), "short");
  EXPECT_FALSE(CopyFileOver(folder.MakeFolder("dir"), target));
  const std::string blocked = folder.MakeFolder("carmods.dat.bak");
  EXPECT_FALSE(CopyFileOver(source, blocked));
  EXPECT_TRUE(DirectoryExists(blocked));
  EXPECT_EQ(folder.EntryCount(), 5u);
}

TEST(FileSystem, FullPathAnchorsRelativePathsAtTheWorkingDirectory) {
  EXPECT_EQ(FullPath(""), "");
  ScratchDir folder;
  EXPECT_EQ(FullPath(folder.Path("a.dff")), folder.Path("a.dff"));
  const std::string relative = FullPath("some.dff");
  EXPECT_NE(relative, "some.dff");
  EXPECT_EQ(relative.substr(relative.size() - 9), std::string(1, kPathSeparator) + "some.dff");
  EXPECT_TRUE(DirectoryExists(relative.substr(0, relative.size() - 9)));
}

// Every write, sync, close and rename of a replacing write or copy can fail:
// the old file stays whole and no temporary file is left. A write that skipped
// its sync, or synced only after the rename, fails this too.
// Private folders are new on every call, named by their prefix, reachable by the
// user alone; where the parent is no folder the system's reason comes back.
TEST(FileSystem, PrivateFoldersAreFreshAndTheirFailureCarriesTheReason) {
  ScratchDir folder;
  std::string first, second, reason;
  ASSERT_TRUE(CreatePrivateFolder(folder.path(), "wrenfield-", first, reason));
  ASSERT_TRUE(CreatePrivateFolder(folder.path(), "wrenfield-", second, reason));
  EXPECT_NE(first, second);
  EXPECT_TRUE(IsRealFolder(first));
  EXPECT_TRUE(IsRealFolder(second));
  EXPECT_EQ(first.rfind(folder.Path("wrenfield-"), 0), 0u);
#ifndef _WIN32
  struct stat info {};
  ASSERT_EQ(::stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
#endif
  const std::string file = folder.Write("not-a-folder", "x");
  std::string path;
  EXPECT_FALSE(CreatePrivateFolder(file, "wrenfield-", path, reason));
  EXPECT_FALSE(reason.empty());
}

// The temporary folder is one the system names, without a trailing separator.
TEST(FileSystem, TheTemporaryFolderIsAFolderWithoutTrailingSeparator) {
  std::string folder, reason;
  FolderFailure failure = FolderFailure::kSystem;
  ASSERT_TRUE(TemporaryFolder(folder, failure, reason));
  EXPECT_TRUE(IsRealFolder(folder));
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_NE(folder.back(), '\\');
}

TEST(FileSystemFaults, AReplacingWriteThatFailsAnywhereKeepsTheOldFile) {
  ScratchDir folder;
  const std::string file = folder.Write("handling.cfg", "stock");
  const std::string source = folder.Write("big.img", std::string(100000, 'b'));
  for (const fault::Op op : {fault::kWrite, fault::kSync, fault::kClose, fault::kRename}) {
    SCOPED_TRACE(op);
    fault::FailNth(op, 1);
    const std::string message = ErrorOf([&] { WriteFileReplacing(file, std::string(50000, 'n')); });
    EXPECT_EQ(fault::Clear(), 1u);
    EXPECT_EQ(message.rfind(kCreatePrefix + FullPath(file) + "': ", 0), 0u) << message;
    fault::FailNth(op,
                   op == fault::kWrite ? 2 : 1);  // the copy's second write: part of it is on disk
    EXPECT_FALSE(CopyFileOver(source, file));
    EXPECT_EQ(fault::Clear(), 1u);
    EXPECT_EQ(ReadAll(file), "stock");
    EXPECT_EQ(folder.EntryCount(), 2u);
  }
}

TEST(FileSystemFaults, AReplacingWriteSyncsClosesAndRenamesOnce) {
  ScratchDir folder;
  const std::string file = folder.Write("carcols.dat", "stock");
  fault::Clear();
  WriteFileReplacing(file, "new");
  EXPECT_EQ(fault::Calls(fault::kWrite), 1u);
  EXPECT_EQ(fault::Calls(fault::kSync), 1u);
  EXPECT_EQ(fault::Calls(fault::kClose), 1u);
  EXPECT_EQ(fault::Calls(fault::kRename), 1u);
  EXPECT_EQ(ReadAll(file), "new");
}

TEST(FileSystem, ReadsInPiecesOrJustTheHead) {
  ScratchDir folder;
  const std::string bytes = testing::Pattern(150000, 3);
  const std::string file = folder.Write("gta3.img", bytes);
  std::string pieces;
  std::size_t largest = 0;
  ReadFileChunks(file, [&](const char* data, std::size_t size) {
    pieces.append(data, size);
    largest = std::max(largest, size);
  });
  EXPECT_EQ(pieces, bytes);
  EXPECT_LE(largest, 65536u);
  EXPECT_EQ(ReadFileHead(file, 70000), bytes.substr(0, 70000));
  EXPECT_EQ(ReadFileHead(file, 1u << 20), bytes);
  std::uint64_t size = 0;
  EXPECT_TRUE(FileSize(file, size));
  EXPECT_EQ(size, bytes.size());
  EXPECT_FALSE(FileSize(folder.path(), size));
}

// What stands in the way of replacing a file is found before anything is
// written: a folder where the temporary file must go, a missing folder, a
// folder in the file's place (and on Windows a read-only file).
TEST(FileSystem, CheckReplaceableNamesTheFileAndChangesNothing) {
  ScratchDir folder;
  const std::string file = folder.Write("vehicles.ide", "stock");
  EXPECT_EQ(ErrorOf([&] { CheckReplaceable(file); }), "");
#ifdef _WIN32
  const std::string pid = std::to_string(GetCurrentProcessId());
#else
  const std::string pid = std::to_string(getpid());
#endif
  const std::string obstacle = folder.MakeFolder("vehicles.ide.wrenfield-" + pid + ".tmp");
  for (const std::string& path :
       {file, folder.MakeFolder("carcols.dat"), JoinPath(folder.Path("missing"), "carmods.dat")}) {
    const std::string message = ErrorOf([&] { CheckReplaceable(path); });
    EXPECT_EQ(message.rfind(kCreatePrefix + FullPath(path) + "': ", 0), 0u) << message;
  }
  EXPECT_TRUE(DirectoryExists(obstacle));
  EXPECT_EQ(ReadAll(file), "stock");
  EXPECT_EQ(folder.EntryCount(), 3u);
#ifdef _WIN32
  RemoveDirectoryA(obstacle.c_str());
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ErrorOf([&] { CheckReplaceable(file); }).rfind(kCreatePrefix + FullPath(file), 0), 0u);
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

#ifndef _WIN32
TEST(FileSystem, ReplacingKeepsTheModeAndWritesThroughASymbolicLink) {
  ScratchDir folder;
  const std::string target = folder.Write("real-carmods.dat", "stock");
  ASSERT_EQ(chmod(target.c_str(), 0600), 0);
  const std::string link = folder.Path("carmods.dat");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(ErrorOf([&] { CheckReplaceable(link); }), "");
  WriteFileReplacing(link, "patched");
  struct stat info {};
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(ReadAll(target), "patched");
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(folder.EntryCount(), 2u);
}

// The file layer's one folder creation: the unpacking's strict form takes no
// link for a folder; the installer's form takes a link to one.
TEST(FileSystem, CreatingAFolderTakesAFolderThereAndALinkOnlyWhereAskedTo) {
  ScratchDir folder;
  std::string reason;
  const std::string fresh = folder.Path("Wrenfield");
  EXPECT_TRUE(TryCreateFolder(fresh, reason));
  EXPECT_TRUE(TryCreateFolder(fresh, reason));
  EXPECT_EQ(ErrorOf([&] { CreateFolder(fresh); }), "");
  const std::string link = folder.Path("moved");
  ASSERT_EQ(symlink(fresh.c_str(), link.c_str()), 0);
  EXPECT_FALSE(TryCreateFolder(link, reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(ErrorOf([&] { CreateFolder(link); }), "");
  const std::string file = folder.Write("records", "x");
  reason.clear();
  EXPECT_FALSE(TryCreateFolder(file, reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(ErrorOf([&] { CreateFolder(file); }), CreateFileErrorMessage(FullPath(file), reason));
}

TEST(FileSystem, ANamedPipeWithoutWriterReadsAsEmptyInsteadOfWaiting) {
  ScratchDir folder;
  const std::string pipe = folder.Path("readme.txt");
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
