#pragma once

#include "ClipStore.h"

#include <QStringList>

#include <functional>

// A clip opened as the window opens one, its texts taken: { title, body }; empty when the clip is
// not found. From then on the store may save the texts.
inline QStringList openedTexts(ClipStore& store, const QByteArray& name,
                               const std::function<void()>& beforeCreatingTitle = {})
{
    if (store.openClip(name, beforeCreatingTitle) != OpenOutcome::Found)
        return {};
    const QString title = store.takeTitleText();
    return { title, store.takeBodyText() };
}
