// Wrenfield.exe: the one window on the system's dialogs, reader and installer.
// The program takes no command line and reads no environment variable.
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <objbase.h>

#include "main_window_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The folder dialog is a shell object and wants COM on this thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  int result;
  {
    wrenfield::TSystemShellDialogs dialogs;
    wrenfield::TMainWindow window(instance, dialogs, wrenfield::DefaultFormServices());
    result = window.Run();
  }
  CoUninitialize();
  return result;
}
