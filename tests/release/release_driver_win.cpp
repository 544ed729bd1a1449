// release_driver: plays the player's part against a Wrenfield.exe started on its
// own, from outside its process, with window messages only (the program takes
// no command line, so nothing else can steer it).
//
//   release_driver versions FILE...
//     prints each file's version resource as Explorer shows it.
//   release_driver install GAMEDIR MODDIR [PAUSEFILE]
//     chooses both folders in the program's folder dialogs, checks what the
//     reader filled in, presses the install button, reads the message box and
//     closes the window. With PAUSEFILE, the file is created once the fields
//     are filled and the driver waits until it is removed (for a screenshot).
//
// The folder dialog is the system's, modal inside the program: the driver
// writes the folder into the program's memory and asks the dialog to select it
// (BFFM_SETSELECTIONW), then confirms with its OK button, as a player's click would.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "main_window_win.h"
#include "messages.h"
#include "text_win.h"

namespace wrenfield {
namespace {

constexpr DWORD kPatienceMs = 60000;

struct DriverError {
  std::string what;
};

[[noreturn]] void Fail(const std::string& what) { throw DriverError{what}; }

// Polls until the condition holds; false once kPatienceMs have passed.
bool Within(const std::function<bool()>& condition) {
  for (DWORD waited = 0; !condition(); waited += 50) {
    if (waited >= kPatienceMs) return false;
    Sleep(50);
  }
  return true;
}

void WaitFor(const std::function<bool()>& condition, const std::string& description) {
  if (!Within(condition)) Fail("timed out waiting for " + description);
}

std::wstring TextOf(HWND window) {
  wchar_t text[4096] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                      nullptr);
  return text;
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size - 1 : 0, '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], size, nullptr, nullptr);
  return utf8;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct DialogSearch {
  DWORD process;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<DialogSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.process && IsWindowVisible(window) && ClassOf(window) == L"#32770")
    search.found.push_back(window);
  return TRUE;
}

// The visible top-level dialogs (message boxes, the folder dialog) of a process.
std::vector<HWND> DialogsOf(DWORD process) {
  DialogSearch search{process, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ChildOfClass(HWND parent, const wchar_t* className) {
  return FindWindowExW(parent, nullptr, className, nullptr);
}

// The one open dialog of the process that has (or lacks) a folder tree.
HWND WaitForDialog(DWORD process, bool folderDialog, const std::string& description) {
  HWND dialog = nullptr;
  WaitFor(
      [&] {
        for (HWND candidate : DialogsOf(process)) {
          if ((ChildOfClass(candidate, L"SysTreeView32") != nullptr) == folderDialog) {
            dialog = candidate;
            return true;
          }
        }
        return false;
      },
      description);
  return dialog;
}

// Memory inside the program's process, for messages whose argument points to
// data that the program's own window procedure reads or fills.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD processId, SIZE_T size)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                             processId)) {
    if (process_ == nullptr) Fail("cannot open the program's process");
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (address_ == nullptr) {
      CloseHandle(process_);
      Fail("cannot reserve memory in the program's process");
    }
  }
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  LPARAM lparam() const { return reinterpret_cast<LPARAM>(address_); }
  void Write(SIZE_T offset, const void* bytes, SIZE_T size) const {
    if (!WriteProcessMemory(process_, at(offset), bytes, size, nullptr))
      Fail("cannot write into the program's process");
  }
  void Read(SIZE_T offset, void* bytes, SIZE_T size) const {
    if (!ReadProcessMemory(process_, at(offset), bytes, size, nullptr))
      Fail("cannot read from the program's process");
  }

 private:
  HANDLE process_;
  void* address_ = nullptr;
};

std::wstring LastPart(const std::wstring& path) {
  return path.substr(path.find_last_of(L'\\') + 1);
}

class ProgramWindow {
 public:
  ProgramWindow() {
    const std::wstring caption = WideFromCp1251(msg::kWindowCaption);
    WaitFor(
        [&] {
          window_ = FindWindowW(nullptr, caption.c_str());
          return window_ != nullptr && IsWindowVisible(window_);
        },
        "the window \"" + std::string(msg::kWindowCaption) + "\"");
    GetWindowThreadProcessId(window_, &process_);
  }

  HWND Control(int id) const {
    // Controls sit in the window or in one of its framed groups.
    if (HWND direct = GetDlgItem(window_, id)) return direct;
    for (int group : {kGroupBox1, kGroupBox2, kGroupBox3})
      if (HWND inGroup = GetDlgItem(GetDlgItem(window_, group), id)) return inGroup;
    Fail("no control " + std::to_string(id) + " in the window");
  }
  std::wstring Text(int id) const { return TextOf(Control(id)); }
  // Posted, as a click: the handler runs a modal dialog and would hold a sent message.
  void Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

  // Answers the folder dialog that the button opens with the given folder.
  void ChooseFolder(int button, const std::wstring& folder, int edit) const {
    Click(button);
    HWND dialog = WaitForDialog(process_, true, "the folder dialog");
    // The tree fills itself as it opens; until then a selection may not take.
    WaitFor(
        [&] {
          SelectInFolderDialog(dialog, folder);
          return SelectedFolderName(dialog) == LastPart(folder);
        },
        "the folder dialog to select " + Utf8(folder));
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    if (!Within([&] { return Text(edit) == folder; }))
      Fail("the folder's field holds \"" + Utf8(Text(edit)) + "\"");
  }

  // Presses OK on the message box and returns its text.
  std::wstring AnswerMessageBox() const {
    HWND box = WaitForDialog(process_, false, "a message box");
    if (TextOf(box) != WideFromCp1251(msg::kApplicationTitle))
      Fail("message box caption " + Utf8(TextOf(box)));
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (ClassOf(child) == L"Static" && !TextOf(child).empty()) text = TextOf(child);
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    WaitFor([&] { return !IsWindow(box); }, "the message box to close");
    return text;
  }

  void CloseAndWait() const {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, process_);
    PostMessageW(window_, WM_CLOSE, 0, 0);
    const DWORD ended = process ? WaitForSingleObject(process, kPatienceMs) : WAIT_FAILED;
    if (process) CloseHandle(process);
    if (ended != WAIT_OBJECT_0) Fail("the program did not end after its window was closed");
  }

 private:
  // BFFM_SETSELECTIONW takes a pointer into the dialog's own process.
  void SelectInFolderDialog(HWND dialog, const std::wstring& folder) const {
    const SIZE_T bytes = (folder.size() + 1) * sizeof(wchar_t);
    RemoteBuffer remote(process_, bytes);
    remote.Write(0, folder.c_str(), bytes);
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, remote.lparam());
  }

  std::wstring SelectedFolderName(HWND dialog) const {
    HWND tree = ChildOfClass(dialog, L"SysTreeView32");
    const auto item =
        reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (item == nullptr) return L"";
    wchar_t text[MAX_PATH] = {};
    RemoteBuffer remote(process_, sizeof(TVITEMW) + sizeof text);
    TVITEMW query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof query));
    query.cchTextMax = MAX_PATH;
    remote.Write(0, &query, sizeof query);
    remote.Write(sizeof query, text, sizeof text);
    SendMessageW(tree, TVM_GETITEMW, 0, remote.lparam());
    remote.Read(sizeof query, text, sizeof text);
    text[MAX_PATH - 1] = L'\0';
    return text;
  }

  HWND window_ = nullptr;
  DWORD process_ = 0;
};

void Expect(const std::wstring& got, const std::wstring& expected, const char* what) {
  if (got != expected)
    Fail(std::string(what) + ": \"" + Utf8(got) + "\", expected \"" + Utf8(expected) + "\"");
}

void WaitWhileExists(const std::wstring& file) {
  WaitFor([&] { return GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES; },
          "the pause file to be removed");
}

int Install(const std::wstring& game, const std::wstring& mod, const std::wstring& pauseFile) {
  ProgramWindow window;
  std::printf("driver: window found\n");
  if (IsWindowEnabled(window.Control(kInstallBtn))) Fail("the review controls start unlocked");

  window.ChooseFolder(kDirBrowseBtn, game, kGTASADir);
  window.ChooseFolder(kVehDirBrowseBtn, mod, kVehicleDir);
  Expect(window.Text(kDFF), mod + L"\\monster.dff", "model field");
  Expect(window.Text(kTXD), mod + L"\\monster.txd", "texture field");
  if (window.Text(kVehicles).empty() || window.Text(kCarcols).empty())
    Fail("the reader left the vehicles or carcols field empty");
  if (!IsWindowEnabled(window.Control(kInstallBtn))) Fail("the review controls stayed locked");
  std::printf("driver: both folders chosen, fields filled\n");

  if (!pauseFile.empty()) {
    HANDLE marker = CreateFileW(pauseFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) Fail("cannot create the pause file");
    CloseHandle(marker);
    WaitWhileExists(pauseFile);
  }

  window.Click(kInstallBtn);
  Expect(window.AnswerMessageBox(), WideFromCp1251(msg::Installed()), "message box");
  WaitFor([&] { return IsWindowEnabled(window.Control(kInstallBtn)) != FALSE; },
          "the review controls to open again");
  std::printf("driver: installed, success box answered\n");
  window.CloseAndWait();
  std::printf("driver: window closed, program ended\n");
  return 0;
}

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
  struct Translation {
    WORD language, codePage;
  }* translation = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &size) ||
      size < sizeof *translation)
    return L"?";
  wchar_t key[96];
  wsprintfW(key, L"\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage,
            name);
  wchar_t* value = nullptr;
  if (!VerQueryValueW(info.data(), key, reinterpret_cast<void**>(&value), &size)) return L"?";
  return value;
}

int Versions(const std::vector<std::wstring>& files) {
  for (const std::wstring& file : files) {
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(file.c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (info.empty() || !GetFileVersionInfoW(file.c_str(), 0, info.size(), info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size))
      Fail("no version resource in " + Utf8(file));
    std::printf("%s fixed=%u.%u.%u.%u", Utf8(file).c_str(),
                unsigned{HIWORD(fixed->dwFileVersionMS)}, unsigned{LOWORD(fixed->dwFileVersionMS)},
                unsigned{HIWORD(fixed->dwFileVersionLS)}, unsigned{LOWORD(fixed->dwFileVersionLS)});
    for (const wchar_t* name :
         {L"FileVersion", L"ProductVersion", L"ProductName", L"OriginalFilename"})
      std::printf(" %s=%s", Utf8(name).c_str(), Utf8(VersionString(info, name)).c_str());
    std::printf("\n");
  }
  return 0;
}

}  // namespace
}  // namespace wrenfield

int wmain(int argc, wchar_t** argv) {
  using namespace wrenfield;
  const std::vector<std::wstring> args(argv + 1, argv + argc);
  try {
    if (args.size() >= 2 && args[0] == L"versions") return Versions({args.begin() + 1, args.end()});
    if (args.size() == 3 || args.size() == 4) {
      if (args[0] == L"install") return Install(args[1], args[2], args.size() == 4 ? args[3] : L"");
    }
  } catch (const DriverError& error) {
    std::printf("driver: FAILED: %s\n", error.what.c_str());
    return 1;
  }
  std::printf("usage: release_driver versions FILE... | install GAMEDIR MODDIR [PAUSEFILE]\n");
  return 2;
}
