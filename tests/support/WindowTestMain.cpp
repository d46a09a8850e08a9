// Main of the window tests: a QApplication on the offscreen platform (unless the caller
// chose one), settings and data in a temporary folder, and the application object with
// its title loaded, as the program's entry leaves them.
#include "app/RaveZivuredApp.h"
#include "res/version.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    // Test discovery runs this binary without the test's environment: default it here.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Before anything reads a settings path: never the user's own settings or trash.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/rz-ui-tests.XXXXXX";
    const char* home = mkdtemp(pattern.data());
    if (!home)
        return 2;
    const std::string root = home;
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    // The trash follows HOME as well: a file on the same drive as HOME goes to the
    // trash under XDG_DATA_HOME.
    setenv("HOME", root.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", root.c_str(), 1);

    testing::InitGoogleTest(&argc, argv);
    int status = 0;
    {
        QApplication application(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        CRaveZivuredApp app;
        app.InitApplication();
        // What InitInstance does before it runs the main window.
        app.SetRegistryKey(RZ_MAKER_DOMAIN);
        status = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return status;
}
