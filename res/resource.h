// Resource ids shared by the resource script (saver.rc) and the saver's C++ code.
#ifndef MORGRAVE_RESOURCE_H
#define MORGRAVE_RESOURCE_H

// Only plain #defines: windres's preprocessor reads this file as well as the C++ compiler.

// Strings.
#define IDS_DESCRIPTION        1      /* what the display settings list for the saver */
#define IDS_CREDITS_MENU       101    /* system-menu item that opens the credits */
#define IDS_LEGAL_MENU         59142  /* system-menu item that opens the legal notices */
#define IDS_CREDITS_TEXT       59143  /* the credits, shown by the credits dialog */
#define IDS_LEGAL_TEXT1        59144  /* the legal notices, first half */
#define IDS_LEGAL_TEXT2        59145  /* the legal notices, second half */

// Dialog templates.
#define IDD_LEGAL              100
#define IDD_CREDITS            101
#define IDD_SETTINGS           102

// Icons and the cursor.
#define IDR_MAINFRAME          128    /* application icon */
#define IDC_BLANK              129    /* 32x32 fully transparent cursor of the scene windows */
#define IDI_DIALOG             671    /* picture in the settings dialog */

// System-menu commands added by the settings dialog.
#define IDM_CREDITS            0x0010
#define IDM_LEGAL              0x0020

// Controls.
#define IDC_STATIC             (-1)
#define IDC_SOUND              1008   /* check box "The Damned" */
#define IDC_PAIN               1009   /* slider 1..4 */
#define IDC_PAIN_NAME          1010   /* the level's name beside the slider */
#define IDC_SUBLIMINALS        1011   /* check box "Mystery" */
#define IDC_CREDITS_TEXT       1014
#define IDC_LEGAL_TEXT         1015
#define IDC_CREDITS            1016   /* button "Credits..." */
#define IDC_LEGAL              1017   /* button "Legal..." */
#define IDC_DIALOG_ICON        1021

// Whole-screen pictures.
#define IDB_TITLE              670    /* 520x147, holds the key colour */
#define IDB_BACKGROUND         673    /* 640x480 */
#define IDB_FLASH              858    /* 640x480 subliminal picture */
#define IDB_PREVIEW            873    /* 147x124 */

// Door frames, as runs of consecutive bitmap ids (which frame shows which id is the scene
// window's image table).
#define IDB_TOPDOOR_FIRST      747    /* 747..758, 131x152 */
#define IDB_TOPDOOR_LAST       758
#define IDB_RIGHTDOOR_FIRST    776    /* 776..788, 116x243 */
#define IDB_RIGHTDOOR_LAST     788
#define IDB_RIGHTDOOR_FRAME1   781    /* frames 1..7 are 781..787, frames 8..12 776..780 */
#define IDB_MIDDLEDOOR_FRAME0  811    /* 811 and 820..831, 104x182 */
#define IDB_MIDDLEDOOR_FIRST   820
#define IDB_MIDDLEDOOR_LAST    831
#define IDB_FLOORDOOR_A_FIRST  832    /* 832..836, 857, 838..844, 166x121 */
#define IDB_FLOORDOOR_A_LAST   836
#define IDB_FLOORDOOR_FRAME5   857
#define IDB_FLOORDOOR_B_FIRST  838
#define IDB_FLOORDOOR_B_LAST   844
#define IDB_LOWERDOOR_FIRST    845    /* 845..856 and 837, 101x158 */
#define IDB_LOWERDOOR_LAST     856
#define IDB_LOWERDOOR_FRAME12  837

// Sound cues (resources of type "WAVE").
#define IDW_TOPDOOR_OPEN_EVEN     761
#define IDW_TOPDOOR_OPEN_ODD      762
#define IDW_RIGHTDOOR_OPEN        763
#define IDW_MIDDLEDOOR_OPEN_EVEN  764
#define IDW_MIDDLEDOOR_OPEN_ODD   765
#define IDW_LOWERDOOR_OPEN_ODD    766
#define IDW_FLOORDOOR_OPEN_ODD    767
#define IDW_FLOORDOOR_OPEN_EVEN   768
#define IDW_LOWERDOOR_OPEN_EVEN   769
#define IDW_DOOR_OPENING          774    /* an opening step reaches frame 9 */
#define IDW_DOOR_CLOSING          775    /* the first closing step */
#define IDW_AMBIENT_EVEN          860
#define IDW_AMBIENT_ODD           864
#define IDW_DOOR_SHUTTING         869    /* a closing step reaches frame 6 */
#define IDW_DOOR_SWING            871    /* the opening step from frame 3 to frame 4 */

#endif  // MORGRAVE_RESOURCE_H
