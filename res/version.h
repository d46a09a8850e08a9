#ifndef RZ_RES_VERSION_H
#define RZ_RES_VERSION_H
// The maker's texts and the version texts, shared by the program and the Windows resource
// script. The maker's web domain is under the reserved .example top-level domain.

#define RZ_MAKER_DOMAIN "ostrel.example"
#define RZ_HOME_PAGE "https://www.ostrel.example/"
#define RZ_SUPPORT_EMAIL "support@ostrel.example"
#define RZ_APP_TITLE "File Manager by " RZ_MAKER_DOMAIN
#define RZ_ABOUT_ITEM "&About File Manager..."
#define RZ_UNDO_ITEM "&Undo Last Delete\tCtrl+Z"
#define RZ_SHOW_SIZES_ITEM "Show &Sizes"

#define RZ_VERSION_BINARY 2, 0, 0, 1
#define RZ_VERSION_TEXT "2.0.0.1"
#define RZ_COMPANY_NAME "Ostrel Vadareved"
#define RZ_FILE_DESCRIPTION "File Manager Utility by Ostrel Vadareved"
#define RZ_PRODUCT_NAME "File Manager Utility by Ostrel Vadareved"
#define RZ_INTERNAL_NAME "RaveZivured"
#define RZ_ORIGINAL_FILENAME "RaveZivured.EXE"
#define RZ_COMMENTS "Contact : " RZ_SUPPORT_EMAIL
// The scan command's own names in its version information (Windows).
#define RZ_SCAN_FILE_DESCRIPTION "File Manager scan command by Ostrel Vadareved"
#define RZ_SCAN_INTERNAL_NAME "RaveZivuredScan"
#define RZ_SCAN_ORIGINAL_FILENAME "ravezivured-scan.exe"
#endif
