// The few Win32 constants the resource script needs, so windres runs without the Windows headers.
#ifndef MORGRAVE_RCDEFS_H
#define MORGRAVE_RCDEFS_H

#define CREATEPROCESS_MANIFEST_RESOURCE_ID 1
#define RT_MANIFEST         24

#define IDOK                1
#define IDCANCEL            2

#define WS_POPUP            0x80000000L
#define WS_CHILD            0x40000000L
#define WS_VISIBLE          0x10000000L
#define WS_CAPTION          0x00C00000L
#define WS_BORDER           0x00800000L
#define WS_VSCROLL          0x00200000L
#define WS_SYSMENU          0x00080000L
#define WS_GROUP            0x00020000L
#define WS_TABSTOP          0x00010000L

#define DS_SETFONT          0x40L
#define DS_MODALFRAME       0x80L

#define BS_PUSHBUTTON       0x0L
#define BS_DEFPUSHBUTTON    0x1L
#define BS_AUTOCHECKBOX     0x3L
#define BS_GROUPBOX         0x7L

#define ES_MULTILINE        0x4L
#define ES_READONLY         0x800L

#define SS_CENTER           0x1L
#define SS_RIGHT            0x2L
#define SS_ICON             0x3L
#define SS_REALSIZEIMAGE    0x800L
#define SS_SUNKEN           0x1000L

#define TBS_AUTOTICKS       0x1L
#define TBS_HORZ            0x0L

#define LANG_NEUTRAL        0x00
#define LANG_ENGLISH        0x09
#define SUBLANG_NEUTRAL     0x00
#define SUBLANG_ENGLISH_US  0x01

#endif  // MORGRAVE_RCDEFS_H
