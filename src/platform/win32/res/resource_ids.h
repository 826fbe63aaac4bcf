/* Resource numbers shared by setup.rc and the Win32 backend. */
#pragma once

#define IDI_SETUP 1
#define IDB_INSTALL 101
#define IDB_CROSS 102
#define IDB_CROSS_DISABLED 103
