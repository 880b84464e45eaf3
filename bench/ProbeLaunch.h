#pragma once

#include <QString>
#include <QStringList>

// What one launch of a start-up probe reported.
struct Launch
{
    double secondsToFirstPaint = 0;
    double residentBytes = 0; // at the first paint
    double peakBytes = 0; // up to the first paint
    // When asked for: once the splash window is gone, then with a clip opened.
    double settledResidentBytes = 0;
    double settledPeakBytes = 0;
    double openedResidentBytes = 0;
};

// Starts a probe in a directory, times it until it reports its first paint, and collects what it
// reports until it ends. Its own messages are shown only when it fails.
Launch launch(const QString& program, const QStringList& arguments, const QString& directory);
