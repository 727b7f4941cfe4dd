/* Resource ids of the first-run tutorial and the about box, shared by
   resources/tutorial.rc and the code (plain defines: the resource compiler
   reads this file too). */
#pragma once

#define IDD_TRAINER 2301
#define IDD_ABOUT 2302

#define IDB_TUTORIAL_STEP1 2310
#define IDB_TUTORIAL_STEP2 2311
#define IDB_TUTORIAL_TRAY 2312
#define IDB_ABOUT_COMPANY 2313

/* Tutorial controls */
#define IDC_TRAINER_HEADING 2320
#define IDC_TRAINER_PICTURE1 2321
#define IDC_TRAINER_STEP1 2322
#define IDC_TRAINER_STEP1_RESULT 2323
#define IDC_TRAINER_PICTURE2 2324
#define IDC_TRAINER_STEP2 2325
#define IDC_TRAINER_STEP2_RESULT 2326
#define IDC_TRAINER_PICTURE_TRAY 2327
#define IDC_TRAINER_TRAY_MENU 2328
#define IDC_TRAINER_TRAY_OPTIONS 2329
#define IDC_TRAINER_CHECK 2330 /* ckTrainer */
#define IDC_TRAINER_CLOSE 2331 /* BtClose */

/* About box controls */
#define IDC_ABOUT_COMPANY_IMAGE 2340
#define IDC_ABOUT_PRODUCT 2341      /* lbProduct */
#define IDC_ABOUT_VERSION_INFO 2342 /* lbVersionInfo */
#define IDC_ABOUT_VERSION 2343      /* lbVersion */
#define IDC_ABOUT_COMPANY 2344      /* lbCompany, the link */
#define IDC_ABOUT_LEGAL 2345
#define IDC_ABOUT_CLOSE 2346        /* BtClose */
