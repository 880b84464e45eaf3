#pragma once

#include <QString>

namespace ErrorBox {

// The text the box shows for a message: a full stop is appended when the message is not empty
// and its last character sorts after "." (a letter, a digit, "?"), so "!" and "." endings stay.
QString textFor(const QString& message);

// The modal error box: the application title as caption, a stop icon and one OK button.
// Returns when the user has closed it.
void show(const QString& message);

// The last-resort box for an error that escapes start-up: names the kind of error and its
// message under the caption "Application Error".
void showApplicationError(const QString& kind, const QString& message);

} // namespace ErrorBox
