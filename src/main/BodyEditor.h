#pragma once

#include "ClipTextEdit.h"

// The body editor: a vertical scroll bar at all times, Enter (also with Shift) starts a new
// line, and no length limit.
class BodyEditor : public ClipTextEdit
{
    Q_OBJECT

public:
    explicit BodyEditor(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
