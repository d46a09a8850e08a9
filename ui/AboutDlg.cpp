#include "ui/AboutDlg.h"

// The About box adds nothing to the dialog it is built from: its texts are in template
// 100, and its OK button and Esc end it through the default processing.
