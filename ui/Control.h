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
    // The design name is for the program and its tests only: what a screen reader says is the
    // caption, or, for a control without one (edit boxes, lists, the grid, caption-less check
    // boxes, pictures), the name its window gives it (ui/AccessibleNames.h).
    Control(QWidget* widget, const Text& designName);

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
    // What a screen reader calls the control, in words a person understands ("第1场考试科目").
    void setAccessibleName(const QString& name);

  private:
    QWidget* widget_;
};

}  // namespace exambell
