#pragma once
// Resource ids that are not string ids (those are the numbers of the string tables).

// The archive property page: dialog 201 with its file line and capability list, icon 202.
#define IDD_ARCHIVE_PAGE 201
#define IDC_PAGE_FILE_LINE 201
#define IDC_PAGE_CAPABILITIES 202
#define IDI_ARCHIVE_PAGE 202
