#pragma once

#include "EditField.h"

// The name display: a read-only, frameless field that shows its text in capitals and reports
// every mouse press after handling the press itself.
class NameDisplay : public EditField
{
    Q_OBJECT

public:
    explicit NameDisplay(QWidget* parent = nullptr);

signals:
    void mousePressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
