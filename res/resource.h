// Resource identifiers shared by qamovup.rc and the code.
#pragma once

#define IDD_VUP_DIALOG     102
#define IDR_MAINFRAME      128
#define IDB_BACKGROUND     129
#define IDD_INSTCAB_DIALOG 130

#define IDC_PROGRESS       1000
#define IDC_STATUS_TEXT    1001
#define IDC_COPY_TO_CARD   1002

#ifndef IDC_STATIC
#define IDC_STATIC         (-1)
#endif
