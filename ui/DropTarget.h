#pragma once
// Drop target (non-visual): a registered window accepts files dropped anywhere over it and
// raises filesDropped with one text: the single file's full name, or, for several files, every
// full name followed by "\r\n".

#include <QObject>

#include "text/Text.h"

class QWidget;

namespace exambell {

class DropTarget : public QObject {
    Q_OBJECT
  public:
    DropTarget(QObject* parent, const Text& designName);

    // Files dropped on the window or any of its controls reach filesDropped from now on.
    void registerWindow(QWidget* window);
    // The text filesDropped carries for these full names.
    static Text namesText(const std::vector<Text>& fullNames);

  Q_SIGNALS:
    void filesDropped(const exambell::Text& names);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_ = nullptr;
};

}  // namespace exambell
