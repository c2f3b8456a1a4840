// The settings dialog's window.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "dialog/lvx_p.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

namespace lvx::win32 {

// Shows the dialog modally with no owner; returns when it has closed.
void Lvx_P_ShowModal(Settings& settings);
// The same with another settings file port (tests).
void Lvx_P_ShowModal(Settings& settings, SettingsPort& files);

// The colour chooser's request: owner, the 16 custom colours, no starting
// colour, the custom part closed.
CHOOSECOLORW ColorRequest(HWND owner, COLORREF* customColours);

// The music-file chooser's request, on the caller's buffers of at least 256
// characters each (the chooser fills up to 255).
OPENFILENAMEW MusicFileRequest(HWND owner, wchar_t* file, wchar_t* fileTitle);

// A chosen path in code page 932 and, when the code page cannot hold it or
// it is too long for the settings file, its short (8.3) form.
dialog::ChosenFile ChosenFileFromPath(const std::wstring& path);

// The dots per inch the dialog lays itself out for.
int32_t DialogDpi();

}  // namespace lvx::win32
