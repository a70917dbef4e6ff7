// CSaverApp's four mode actions: settings dialog, preview window, full-screen window, password.
#include "app/SaverApp.h"

// Settings mode: the dialog runs modally, its values are stored, and the process ends.
BOOL CSaverApp::DoSettingsMode() {
    m_bConfigure = 1;
    RunSettingsDialog();
    return FALSE;
}

void CSaverApp::RunSettingsDialog() {
    // The settings dialog does not exist yet: nothing is shown and the store keeps its values.
}

// Preview mode: a scene window inside the window named by argument 2.
BOOL CSaverApp::DoPreviewMode() {
    m_bPreview = 1;
    // The preview window does not exist yet, so there is no window to run.
    return FALSE;
}

// Full-screen mode: the flag comes before the window, whose creation handler reads it.
BOOL CSaverApp::DoFullScreenMode() {
    m_bFullScreen = 1;
    // The full-screen window does not exist yet, so there is no window to run.
    return FALSE;
}

// Password mode: the platform's password change, owned by the window named by argument 2.
BOOL CSaverApp::DoPasswordMode() {
    // Not wired to the platform's password service yet.
    return FALSE;
}
