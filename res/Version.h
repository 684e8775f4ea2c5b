// The program's version and names: the one place they are written. The
// string table (the window title, the About box) and the version resource
// of every program read them from here.
#pragma once

#define KLARVEX_PRODUCT_NAME "Klarvex"
#define KLARVEX_VERSION_TEXT "2.8"
#define KLARVEX_VERSION_NUMBERS 2, 8, 0, 0
#define KLARVEX_COMPANY "The Klarvex project"
#define KLARVEX_COPYRIGHT "Copyright (C) 2026 The Klarvex project"
