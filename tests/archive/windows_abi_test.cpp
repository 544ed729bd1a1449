// What a Windows caller sees of Torvane.dll: exactly six exports under plain
// names and, on 32-bit Windows, stdcall functions that take their arguments off
// the stack themselves (64-bit Windows has a single calling convention).
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "archive_fixture.h"

namespace tvtest {
namespace {

HMODULE Torvane() { return GetModuleHandleA("Torvane.dll"); }

std::vector<std::string> ExportedNames(HMODULE module) {
  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  // The module is loaded into this process, so its headers are of this build's kind:
  // PE32 on 32-bit Windows, PE32+ (a longer optional header) on 64-bit.
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR_MAGIC);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  std::vector<std::string> result;
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    result.emplace_back(reinterpret_cast<const char*>(base + names[i]));
  }
  EXPECT_EQ(exports->NumberOfFunctions, exports->NumberOfNames);
  return result;
}

#if defined(__i386__)
// Pushes three 32-bit slots (a3, a2, a1), calls fn and reports how many bytes
// of them the callee removed: a stdcall function of n arguments removes 4 * n.
int CallWithThreeSlots(FARPROC fn, DWORD a1, DWORD a2, DWORD a3, DWORD* removed) {
  DWORD block[4] = {a1, a2, a3, reinterpret_cast<DWORD>(fn)};
  DWORD result = 0, left = 0;
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "pushl 8(%2)\n\t"
      "pushl 4(%2)\n\t"
      "pushl 0(%2)\n\t"
      "call *12(%2)\n\t"
      "movl %%esi, %%ecx\n\t"
      "subl %%esp, %%ecx\n\t"
      "movl %%esi, %%esp\n\t"
      : "=&a"(result), "=&c"(left)
      : "b"(block)
      : "edx", "esi", "memory", "cc");
  *removed = 12 - left;
  return static_cast<int>(result);
}

DWORD Ptr(const std::string& s) { return reinterpret_cast<DWORD>(s.c_str()); }
#endif

// GetProcAddress typed as the caller declares the function.
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class WindowsAbiTest : public ArchiveTest {};

// The last counts IMGCompact reported.
struct Progress {
  unsigned long long moved = 0, total = 0;
  static int __stdcall Seen(unsigned long long moved, unsigned long long total, void* context) {
    auto* self = static_cast<Progress*>(context);
    self->moved = moved;
    self->total = total;
    return 0;
  }
};

TEST_F(WindowsAbiTest, DllExportsExactlyTheSixPlainNames) {
  ASSERT_NE(Torvane(), nullptr);
  std::vector<std::string> names = ExportedNames(Torvane());
  std::sort(names.begin(), names.end());
  const std::vector<std::string> expected = {"IMGAddFile", "IMGClose",       "IMGCompact",
                                             "IMGDelFile", "IMGExtractFile", "IMGOpen"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(GetProcAddress(Torvane(), "_IMGOpen@4"), nullptr);
  EXPECT_EQ(GetProcAddress(Torvane(), "IMGOpen@4"), nullptr);
}

TEST_F(WindowsAbiTest, LoadedByNameAndCalledThroughStdcallPointers) {
  HMODULE module = LoadLibraryA("Torvane.dll");
  ASSERT_NE(module, nullptr);
  using OpenFn = int(__stdcall*)(const char*);
  using CloseFn = void(__stdcall*)();
  using AddFn = int(__stdcall*)(const char*, const char*, int);
  using DelFn = int(__stdcall*)(const char*);
  using ExtractFn = int(__stdcall*)(const char*, const char*);
  using CompactFn = int(__stdcall*)(TorvaneProgress, void*);
  auto open = Lookup<OpenFn>(module, "IMGOpen");
  auto close = Lookup<CloseFn>(module, "IMGClose");
  auto add = Lookup<AddFn>(module, "IMGAddFile");
  auto del = Lookup<DelFn>(module, "IMGDelFile");
  auto extract = Lookup<ExtractFn>(module, "IMGExtractFile");
  auto compact = Lookup<CompactFn>(module, "IMGCompact");
  ASSERT_TRUE(open && close && add && del && extract && compact);

  const std::string archive = dir_.Path("gta3.img");
  WriteAll(archive, BuildArchive({{1, 1, "car.dff"}}));
  const std::string file = dir_.Path("car.dff");
  WriteAll(file, Pattern(3000, 1));
  EXPECT_EQ(open(archive.c_str()), TORVANE_OK);
  EXPECT_EQ(open(archive.c_str()), TORVANE_ALREADY_OPEN);
  EXPECT_EQ(add(file.c_str(), nullptr, 0), TORVANE_EXISTS);
  EXPECT_EQ(add(file.c_str(), nullptr, 0x100), TORVANE_EXISTS);
  EXPECT_EQ(add(file.c_str(), nullptr, 1), TORVANE_OK);
  const std::string out = dir_.Path("out.bin");
  EXPECT_EQ(extract("car.dff", out.c_str()), TORVANE_OK);
  EXPECT_EQ(ReadAll(out), Padded(Pattern(3000, 1)));
  // The larger file went to the end, leaving sector 1 a hole. The progress
  // callback is called back through a stdcall pointer with 64-bit counts.
  Progress progress;
  EXPECT_EQ(compact(&Progress::Seen, &progress), TORVANE_OK);
  EXPECT_EQ(progress.moved, 2 * kSector);
  EXPECT_EQ(progress.total, 2 * kSector);
  EXPECT_EQ(del("car.dff"), TORVANE_DELETED);
  close();
  EXPECT_EQ(CountOf(ReadAll(archive)), 0);
  EXPECT_EQ(ReadAll(archive).size(), 3 * kSector);
  FreeLibrary(module);
}

#if defined(__i386__)
TEST_F(WindowsAbiTest, EachFunctionRemovesItsOwnArguments) {
  const std::string archive = dir_.Path("gta3.img");
  WriteAll(archive, BuildArchive({{1, 1, "a"}}));
  const std::string file = dir_.Path("b");
  WriteAll(file, Pattern(10, 2));
  const std::string out = dir_.Path("out.bin");
  const FARPROC open = GetProcAddress(Torvane(), "IMGOpen");
  const FARPROC close = GetProcAddress(Torvane(), "IMGClose");
  const FARPROC add = GetProcAddress(Torvane(), "IMGAddFile");
  const FARPROC del = GetProcAddress(Torvane(), "IMGDelFile");
  const FARPROC extract = GetProcAddress(Torvane(), "IMGExtractFile");
  const FARPROC compact = GetProcAddress(Torvane(), "IMGCompact");
  DWORD removed = 0;

  // Closed: the entry operations answer 12.
  EXPECT_EQ(CallWithThreeSlots(add, Ptr(file), 0, 1, &removed), TORVANE_NOT_OPEN);
  EXPECT_EQ(removed, 12u);
  EXPECT_EQ(CallWithThreeSlots(del, Ptr("a"), 0, 0, &removed), TORVANE_NOT_OPEN);
  EXPECT_EQ(removed, 4u);
  EXPECT_EQ(CallWithThreeSlots(extract, Ptr("a"), Ptr(out), 0, &removed), TORVANE_NOT_OPEN);
  EXPECT_EQ(removed, 8u);
  EXPECT_EQ(CallWithThreeSlots(compact, 0, 0, 0, &removed), TORVANE_NOT_OPEN);
  EXPECT_EQ(removed, 8u);

  EXPECT_EQ(CallWithThreeSlots(open, Ptr(archive), 0, 0, &removed), TORVANE_OK);
  EXPECT_EQ(removed, 4u);
  // replace is read from its own slot only: a set bit 8 does not allow replacing.
  EXPECT_EQ(CallWithThreeSlots(add, Ptr(file), Ptr("a"), 0x100, &removed), TORVANE_EXISTS);
  EXPECT_EQ(removed, 12u);
  EXPECT_EQ(CallWithThreeSlots(add, Ptr(file), 0, 1, &removed), TORVANE_OK);
  EXPECT_EQ(removed, 12u);
  EXPECT_EQ(CallWithThreeSlots(extract, Ptr("b"), Ptr(out), 0, &removed), TORVANE_OK);
  EXPECT_EQ(removed, 8u);
  EXPECT_EQ(ReadAll(out), Padded(Pattern(10, 2)));
  EXPECT_EQ(CallWithThreeSlots(del, Ptr("a"), 0, 0, &removed), TORVANE_DELETED);
  EXPECT_EQ(removed, 4u);
  Progress progress;
  EXPECT_EQ(CallWithThreeSlots(compact, reinterpret_cast<DWORD>(&Progress::Seen),
                               reinterpret_cast<DWORD>(&progress), 0, &removed),
            TORVANE_OK);
  EXPECT_EQ(removed, 8u);
  EXPECT_EQ(progress.moved, progress.total);
  CallWithThreeSlots(close, 0, 0, 0, &removed);
  EXPECT_EQ(removed, 0u);
  EXPECT_EQ(CountOf(ReadAll(archive)), 1);
}
#endif

}  // namespace
}  // namespace tvtest
