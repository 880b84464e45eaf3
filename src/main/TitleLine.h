#pragma once

#include "ClipTextEdit.h"

// The title line: one row high, no scroll bars, long text wrapped out of sight. Enter inserts
// nothing, and the user can type or paste no further than 100 characters, while a longer text
// set by the program is kept whole.
class TitleLine : public ClipTextEdit
{
    Q_OBJECT

public:
    static constexpr int kTypingLimit = 100;

    explicit TitleLine(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    int length() const;
};
