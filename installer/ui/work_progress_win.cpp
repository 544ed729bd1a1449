// The progress of long work in the main window (compaction of the archive):
// a small window with a bar and a stop button, owned by the main window,
// which is disabled meanwhile so that no other change can start. The work
// runs in the window's thread and lets the window handle its messages at each
// report of progress, so nothing freezes.
#include "dialog_template_win.h"
#include "main_window_win.h"
#include "messages.h"
#include "text_win.h"

namespace wrenfield {
namespace {

constexpr int kBarRange = 1000;

INT_PTR CALLBACK WorkProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        *reinterpret_cast<bool*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)) = true;
        EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void TMainWindow::BeginWork(const std::string& title) {
  work_ = TWork{};
  EnableWindow(window_, FALSE);
  TDialogTemplate dialog(DS_MODALFRAME | WS_POPUP | WS_CAPTION, 220, 48, WideFromCp1251(title));
  dialog.AddItem(BS_PUSHBUTTON | WS_TABSTOP, 153, 27, 60, 15, IDCANCEL, kButtonAtom,
                 WideFromCp1251(msg::kStopButton));
  work_.window = CreateDialogIndirectParamW(instance_, dialog.get(), window_, WorkProc,
                                            reinterpret_cast<LPARAM>(&work_.stopAsked));
  if (work_.window == nullptr) return;
  SetDialogFont(work_.window, fonts_.Of(TFont::Default));
  RECT bar = {7, 7, 213, 21};  // dialog units
  MapDialogRect(work_.window, &bar);
  work_.bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, bar.left, bar.top,
                              bar.right - bar.left, bar.bottom - bar.top, work_.window, nullptr,
                              instance_, nullptr);
  SendMessageW(work_.bar, PBM_SETRANGE32, 0, kBarRange);
  CentreOnOwner(work_.window);
  ShowWindow(work_.window, SW_SHOW);
  WorkProgress(0, 0);
}

bool TMainWindow::WorkProgress(std::uint64_t done, std::uint64_t total) {
  const std::uint64_t position = total == 0 ? 0 : done * kBarRange / total;
  if (work_.bar != nullptr) SendMessageW(work_.bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the event loop once done
      break;
    }
    if (work_.window != nullptr && IsDialogMessageW(work_.window, &message)) continue;
    Dispatch(message);
  }
  return work_.stopAsked;
}

void TMainWindow::EndWork() {
  // Enabled before the progress window goes, so that the focus returns to it.
  EnableWindow(window_, TRUE);
  if (work_.window != nullptr) DestroyWindow(work_.window);
  work_ = TWork{};
}

}  // namespace wrenfield
