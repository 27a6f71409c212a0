/* Resource identifiers of Vantorel.scr, shared by vantorel.rc and the front-end's C++.
   Preprocessor lines only, because windres reads this file too. */
#ifndef VANTOREL_ASSETS_RESOURCE_H
#define VANTOREL_ASSETS_RESOURCE_H

/* Windows lists a screensaver by string 1, and Explorer shows the lowest icon ID. */
#define IDS_DESCRIPTION 1
#define IDI_VANTOREL 1

/* The show form's design-time pictures Pic1 (0)..(3); (1)..(3) become the texture files. */
#define IDB_PIC1_0 101
#define IDB_PIC1_1 102
#define IDB_PIC1_2 103
#define IDB_PIC1_3 104

/* The preview form's still, Img_Prev. */
#define IDB_PREVIEW 110

/* The Command button's six skins, in the order of its looks (Normal .. Disable). */
#define IDB_SKIN_NORMAL 120
#define IDB_SKIN_HIGHLIGHT 121
#define IDB_SKIN_HIGHLIGHTSELECT 122
#define IDB_SKIN_SELECTED 123
#define IDB_SKIN_PRESSED 124
#define IDB_SKIN_DISABLE 125

/* lbl_URL's pointing hand, 32 x 32 monochrome, hot spot (12, 10). */
#define IDC_LINK 130

#define VANTOREL_VERSION_TEXT "1.00"

#endif
