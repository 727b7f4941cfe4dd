// Resource ids of the options dialog: its frame, one dialog template per
// page, and every control, shared by the resource script, the code and the
// tests. Control ids are unique across all pages, so that one table per
// language gives every control its text. Plain #defines: the resource
// compiler reads this file too.
#pragma once

// Dialog templates
#define IDD_OPTIONS 1000
#define IDD_PAGE_TEXT 1001        // a page of fixed text only (and pages not built yet)
#define IDD_PAGE_ACTIVATE 1010
#define IDD_PAGE_CAPTURE 1011
#define IDD_PAGE_FREEHAND 1012
#define IDD_PAGE_RECTANGLE 1013
#define IDD_PAGE_WINDOW 1014
#define IDD_PAGE_SENDTO 1015
#define IDD_PAGE_FILE 1016
#define IDD_PAGE_PRINTER 1017
#define IDD_PAGE_TIMER 1018
#define IDD_PAGE_PRECISION 1019
#define IDD_PAGE_FAVORITES 1020

// Frame
#define IDC_TREE 1100
#define IDC_TITLE 1101
#define IDC_TITLE_LINE 1102
#define IDC_CLOSE 1104
#define IDC_HELP_BUTTON 1105

// Fixed-text page
#define IDC_PAGE_TEXT 1050

// Activate
#define IDC_CK_HOTKEYS 1200
#define IDC_CK_MOUSE_BUTTON 1201
#define IDC_TK_HOLD_TIME 1202
#define IDC_LB_ACTIVATION_TIME 1203
#define IDC_LB_HOLD_MIN 1204
#define IDC_LB_HOLD_SECONDS 1205
#define IDC_LB_HOLD_MAX 1206
#define IDC_LB_ACTIVATE_NOTE 1207
#define IDC_GB_ACTIVATE 1208

// Capture
#define IDC_CK_INCLUDE 1300
#define IDC_LB_HIGHLIGHT 1301
#define IDC_COLOR_BOX 1302
#define IDC_GB_REPEAT 1303
#define IDC_CK_REPEAT_SCREENSHOT 1304
#define IDC_CK_REPEAT_AREA 1305
#define IDC_LB_HK_REPEAT 1306
#define IDC_ED_HK_REPEAT 1307
#define IDC_LB_PRINT_SCREEN 1308

// Free Hand
#define IDC_LB_HK_FREEHAND 1320
#define IDC_ED_HK_FREEHAND 1321

// Rectangle
#define IDC_LB_HK_RECTANGLE 1330
#define IDC_ED_HK_RECTANGLE 1331
#define IDC_GB_SELECTION 1332
#define IDC_CK_MANUALLY 1333
#define IDC_CK_FIXED 1334
#define IDC_CK_LOCK 1335
#define IDC_ED_WIDTH 1336
#define IDC_LB_X 1337
#define IDC_ED_HEIGHT 1338
#define IDC_CK_EXTRA_LARGE 1339

// Window
#define IDC_LB_HK_WINDOW 1340
#define IDC_ED_HK_WINDOW 1341
#define IDC_CK_AUTO_SCROLL 1342
#define IDC_LB_ALT_PRINT_SCREEN 1343

// Send To (notification)
#define IDC_GB_NOTIFICATION 1400
#define IDC_CK_SOUND 1401
#define IDC_CK_MOTION_MESSAGE 1402

// File
#define IDC_LB_FILE_METHOD 1410
#define IDC_CB_FILE_METHOD 1411
#define IDC_LB_FILE_NAME 1412
#define IDC_ED_FILE_NAME 1413
#define IDC_GB_FILE_FORMAT 1414
#define IDC_CK_FILE_BMP 1415
#define IDC_CK_FILE_JPG 1416
#define IDC_CK_FILE_GIF 1417
#define IDC_CK_FILE_PNG 1418
#define IDC_LB_FILE_LOCATION 1419
#define IDC_ED_FILE_LOCATION 1420
#define IDC_BT_FILE_BROWSE 1421

// Printer/Fax
#define IDC_GB_PRINT_SCALING 1430
#define IDC_CK_PRINTER_PROPORTIONAL 1431
#define IDC_CK_PRINTER_FIT 1432
#define IDC_GB_PRINT_ORIENTATION 1433
#define IDC_CK_PRINTER_PORTRAIT 1434
#define IDC_CK_PRINTER_LANDSCAPE 1435

// Timer
#define IDC_LB_TIMER_PERIOD 1500
#define IDC_CB_TIMER_PERIOD 1501
#define IDC_CB_TIMER_FORMAT 1502
#define IDC_CK_IGNORE_IDENTICAL 1503
#define IDC_LB_HK_TIMER 1504
#define IDC_ED_HK_TIMER 1505
#define IDC_LB_TIMER_NOTE 1506

// Precision
#define IDC_CK_RULLER 1510
#define IDC_GB_ZOOM 1511
#define IDC_CK_ZOOM_OFF 1512   // ZoomOn 0, 1: the radio pair in value order
#define IDC_CK_ZOOM_ON 1513
#define IDC_LB_ZOOM_FACTOR 1514
#define IDC_CB_ZOOM_FACTOR 1515

// Favorites
#define IDC_LB_FAVORITES_NOTE 1600
#define IDC_LIST_FAVORITES 1601
#define IDM_FAV_APPLY 1610
#define IDM_FAV_ADD 1611
#define IDM_FAV_UPDATE 1612
#define IDM_FAV_DELETE 1613
#define IDM_FAV_RENAME 1614
