#pragma once

class QApplication;

// Names the application, builds and shows the main window, and runs the message loop until the
// main window is closed. Returns the loop's exit code; errors of the start-up steps propagate.
int runSnipwell(QApplication& application);
