#pragma once
// The base of every control wrapper: a QObject that lives as a child of its widget (so Qt's
// parent chain deletes both together) and offers the properties every control of the window
// designs has: position and size in pixels relative to the parent, visible, disabled, focus.
// The widget's objectName() is the control's design name.

#include <QObject>

#include "text/Text.h"

class QWidget;

namespace exambell {

class Control : public QObject {
    Q_OBJECT
  public:
    // captionless: the control shows no caption of its own, so it also gets its design name as
    // accessibleName() (edit boxes, lists, the grid, caption-less check boxes, pictures).
    Control(QWidget* widget, const Text& designName, bool captionless);

    QWidget* widget() const { return widget_; }
    Text designName() const;

    // The control's own visible flag (true even while its window is not shown yet).
    bool visible() const;
    void setVisible(bool visible);
    bool disabled() const;
    void setDisabled(bool disabled);

    int left() const;
    int top() const;
    int width() const;
    int height() const;
    void setLeft(int left);
    void setGeometry(int left, int top, int width, int height);

    void setFocus();
    bool hasFocus() const;

  private:
    QWidget* widget_;
};

}  // namespace exambell
