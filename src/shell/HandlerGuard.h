#pragma once

#include "ClipError.h"
#include "ErrorBox.h"

#include <exception>
#include <utility>

// Every event handler runs inside this guard: an error that escapes it ends that one event, is
// shown in the error box, and never unwinds through Qt's frames. Returns whether the handler
// ran to its end, so that a key whose handler failed can be kept from its field.
template <typename Handler> bool runGuarded(Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const ClipError& error) {
        ErrorBox::show(error.message());
    } catch (const std::exception& error) {
        ErrorBox::show(QString::fromUtf8(error.what()));
    }
    return false;
}
