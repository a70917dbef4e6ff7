// The Win32 headers for this back-end, with the A/W macros that share names with the seam removed.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

// The seam's functions carry the plain Win32 names; the real calls are always written with their
// A or W suffix, so these macros would only rename the seam's own definitions.
#undef AppendMenu
#undef CreateWindowEx
#undef DefWindowProc
#undef DialogBoxParam
#undef DispatchMessage
#undef FindResource
#undef GetMessage
#undef GetModuleFileName
#undef GetWindowText
#undef LoadIcon
#undef LoadLibrary
#undef LoadString
#undef MessageBox
#undef PeekMessage
#undef PostMessage
#undef RegCreateKeyEx
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegisterClass
#undef SendMessage
#undef SetWindowText
