// Identifiers of the program's string table (res/Strings.rc).
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

// Removal primitives and rule files.
#define IDS_ASK_DELETE_ALL_UNDER 400
#define IDS_ASK_DELETE_FILES_ON 401
#define IDS_NEED_ADMINISTRATOR 402

#define IDS_URL_HOME 200
#define IDS_URL_HELP 201
#define IDS_URL_SUPPORT 202

// Windows and Advanced cleaners
#define IDS_PLEASE_WAIT 300
#define IDS_CANNOT_OPEN_CLIPBOARD 301
