// System DLLs that most runs never need (the media functions for the alarm and the tick, the
// common dialogs), loaded from the system folder at their first use: start-up and resident
// memory do without them until then.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>

// mciSendStringW; MCIERR_DEVICE_NOT_INSTALLED when WINMM cannot be loaded.
MCIERROR winmmSendString(const wchar_t* command, wchar_t* answer, UINT answerSize, HWND callback);
// The same, but only when WINMM is in the process already (before that no device can be
// open), else MCIERR_DEVICE_NOT_READY without loading it.
MCIERROR winmmSendStringIfLoaded(const wchar_t* command, wchar_t* answer, UINT answerSize, HWND callback);
// mciGetErrorStringW and PlaySoundW; FALSE when WINMM cannot be loaded.
BOOL winmmErrorString(MCIERROR error, wchar_t* text, UINT size);
BOOL winmmPlaySound(const wchar_t* sound, DWORD flags);
// GetOpenFileNameW, ChooseColorW and ChooseFontW; FALSE (as after a cancel) when COMDLG32
// cannot be loaded.
BOOL comdlgGetOpenFileName(OPENFILENAMEW* chooser);
BOOL comdlgChooseColor(CHOOSECOLORW* chooser);
BOOL comdlgChooseFont(CHOOSEFONTW* chooser);
