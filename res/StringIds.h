// Identifiers of the program's string table (res/Strings.rc) and of the
// translations of the tree's names (res/lang/).
#pragma once

#define IDS_TEST 100
#define IDS_CLEAN 101
#define IDS_CLEARING 102
#define IDS_DELETING 103
#define IDS_DELETING_REG_KEY 104
#define IDS_DELETING_REG_VALUE 105
#define IDS_ITEMS 106
#define IDS_WILL_BE_REMOVED 107
#define IDS_TO_BE_REMOVED 108
#define IDS_TOTAL_ITEMS_TEST 109
#define IDS_TOTAL_FILES_TEST 110
#define IDS_TOTAL_ITEMS_CLEAN 111
#define IDS_TOTAL_FILES_CLEAN 112
#define IDS_ERROR_PREFIX 113
#define IDS_UNKNOWN_ERROR 114
#define IDS_PRODUCT_NAME 115
#define IDS_UNABLE_TO_WRITE 116

// Removal primitives and rule files.
#define IDS_ASK_DELETE_ALL_UNDER 400
#define IDS_ASK_DELETE_FILES_ON 401
#define IDS_NEED_ADMINISTRATOR 402
#define IDS_KEPT_PROTECTED_FOLDER 403
#define IDS_SKIPPING_SHARED_KEY 404
#define IDS_INDEX_DAT_WARNING 405
#define IDS_CLOSE_EDGE 406
#define IDS_CLOSE_BRAVE 407
#define IDS_CLOSE_OPERA 408
#define IDS_ASK_DESPITE_WARNING 409
#define IDS_SKIPPING_AFTER_WARNING 410
#define IDS_LEFT_IN_USE 411
#define IDS_SKIPPING_UNREADABLE_EXCLUDE 412
#define IDS_PASSED_OVER 413
#define IDS_SKIPPING_REGISTRY_LINK 414
#define IDS_ASK_DELETE_SYSTEM_VALUE 415
#define IDS_NOT_OVERWRITTEN 416
#define IDS_NOT_SHREDDED_PROTECTED 417
#define IDS_NOT_SHREDDED_LINK 418
#define IDS_NOT_SHREDDED_MISSING 419
#define IDS_WIPING_FREE_SPACE 425
#define IDS_WIPE_FREE_SPACE_WARNING 426
#define IDS_WIPE_SOLID_STATE 427
#define IDS_SHRED_QUESTION 428
#define IDS_SHRED_FILES_TITLE 429
#define IDS_SHRED_FOLDER_TITLE 430
// Databases and jump lists rewritten or left as they are.
#define IDS_SKIPPING_LINKED_DATABASE 420
#define IDS_DATABASE_NOT_REBUILT 421
#define IDS_JUMP_LIST_CHANGED 422
#define IDS_JUMP_LIST_NOT_WRITTEN 423
#define IDS_JUMP_LIST_NOT_REPLACED 424

#define IDS_URL_HOME 200
#define IDS_URL_HELP 201
#define IDS_URL_SUPPORT 202

// Windows and Advanced cleaners
#define IDS_PLEASE_WAIT 300
#define IDS_CANNOT_OPEN_CLIPBOARD 301
// Windows Explorer cleaners
#define IDS_FOLDER_VIEWS_WARNING 302
#define IDS_DELETING_JUMP_LIST_ENTRY 303
#define IDS_JUMP_LIST_UNCHANGED 304

// The main window, its dialogs and the saved log.
#define IDS_VERSION 600
#define IDS_TITLE_HINT 601
#define IDS_CANCEL 602
#define IDS_TOTAL 603
#define IDS_PREPARE_TO_CLEAN 604
#define IDS_FINISHED 605
#define IDS_NOTHING_TICKED 606
#define IDS_CLOSE_FIREFOX 607
#define IDS_CLOSE_CHROME 608
#define IDS_FAST_MODE_HINT 609
#define IDS_SAVE_AS_TEXT 610
#define IDS_TEXT_FILES_FILTER 611
#define IDS_FILE_EXISTS 612
#define IDS_GENERATED_BY 613
#define IDS_VISIT 614
#define IDS_FOR_LATEST_VERSION 615
#define IDS_ASK_PERMANENT 616
#define IDS_ASK_PROCEED 617
#define IDS_ABOUT 618
#define IDS_URL_DONATE 630
#define IDS_URL_UPDATE 631
#define IDS_CANNOT_CREATE_MAIN_WINDOW 632
#define IDS_DONATE 633
// The keyboard's ways through the main window.
#define IDS_TEST_BUTTON 650
#define IDS_CANCELLED 651

// The index.dat viewer and the custom lists editor.
#define IDS_INDEX_DAT_VIEWER 800
#define IDS_WRONG_INDEX_DAT 801
#define IDS_INDEX_DAT_FILTER 802
#define IDS_INDEX_DAT_HINT 803
#define IDS_URL_INDEX_DAT 804
#define IDS_COLUMN_URL 805
#define IDS_COLUMN_LAST_MODIFIED 806
#define IDS_CUSTOM_LISTS 807
#define IDS_COLUMN_CONTENT 808
#define IDS_SELECT_FOLDER_TO_ADD 809
// The cookies manager.
#define IDS_COOKIES_MANAGER 760
#define IDS_ALL_COOKIES_FOUND 761
#define IDS_COOKIES_TO_KEEP 762
#define IDS_COOKIES_ADD 763
#define IDS_COOKIES_REMOVE 764
#define IDS_COOKIES_ADD_ALL 765
#define IDS_COOKIES_REMOVE_ALL 766
#define IDS_COOKIES_VIEW 767
#define IDS_COOKIES_OK 768
#define IDS_COOKIES_CANCEL 769
#define IDS_COOKIE_TEXT_CUT 770
// The settings dialog and the boss key.
#define IDS_BOSS_KEY_FAILED 750
#define IDS_HOTKEY_BLANK 751
#define IDS_HOTKEY_SETTING_FAILED 752
#define IDS_FAILED_TO_SET_DATA 753
#define IDS_WIPE_FILE_HINT 754
#define IDS_PAGE_GENERAL 755
#define IDS_PAGE_BOSS_KEY 756
// The languages: each names itself, and the settings dialog's page.
#define IDS_LANGUAGE_NAME 771
#define IDS_PAGE_LANGUAGE 772
#define IDS_LANGUAGE_WINDOWS_DEFAULT 773
// Whole sentences where the words' order differs between languages.
#define IDS_TOTAL_LABEL_TEST 774
#define IDS_TOTAL_LABEL_CLEAN 775
// The buttons of the program's message boxes.
#define IDS_BUTTON_OK 776
#define IDS_BUTTON_YES 777
#define IDS_BUTTON_NO 778

// The names of the tree of clean items in each language but English
// (RCDATA): pairs of UTF-8 texts, each ended by a zero, the English name
// and then its translation.
#define IDR_NAMES 1
