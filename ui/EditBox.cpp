#include "ui/EditBox.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolButton>

#include "ui/QtText.h"

namespace exambell {
namespace {

// The widgets report typed characters, focus loss and user edits to their EditBox.
template <typename Base>
class FilteredEdit : public Base {
  public:
    explicit FilteredEdit(QWidget* parent) : Base(parent) {}
    EditBox* box = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (box && isTypedCharacter(event) && !box->acceptsTyped(event->text())) {
            event->accept();
            return;
        }
        Base::keyPressEvent(event);
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        if (box && !event->commitString().isEmpty() && !box->acceptsTyped(event->commitString())) {
            // Drop the commit but let the pre-edit state end normally.
            QInputMethodEvent rest(QString(), event->attributes());
            Base::inputMethodEvent(&rest);
            return;
        }
        Base::inputMethodEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        Base::focusOutEvent(event);
        // A context menu opening is no loss of focus for the operator.
        if (box && event->reason() != Qt::PopupFocusReason) {
            box->notifyFocusLost();
        }
    }

  private:
    static bool isTypedCharacter(const QKeyEvent* event) {
        if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) {
            return false;
        }
        const QString typed = event->text();
        return !typed.isEmpty() && typed.at(0).isPrint();
    }
};

QWidget* makeWidget(QWidget* parent, EditBox::Lines lines) {
    if (lines == EditBox::Lines::Multi) {
        auto* edit = new FilteredEdit<QPlainTextEdit>(parent);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        return edit;
    }
    return new FilteredEdit<QLineEdit>(parent);
}

// The number an up-down control reads: the text as a decimal integer, 0 when it is not one.
int numberOf(const Text& text) {
    const std::size_t digitsFrom = !text.empty() && text[0] == '-' ? 1 : 0;
    const bool decimal = text.size() > digitsFrom && text.size() <= 9 &&
                         text.find_first_not_of("0123456789", digitsFrom) == Text::npos;
    return decimal ? static_cast<int>(toInteger(text)) : 0;
}

}  // namespace

EditBox::EditBox(QWidget* parent, const Text& designName, const Text& initialText, Lines lines)
    : Control(makeWidget(parent, lines), designName, true) {
    if (lines == Lines::Multi) {
        auto* edit = static_cast<FilteredEdit<QPlainTextEdit>*>(widget());
        edit->box = this;
        multi_ = edit;
        connect(multi_, &QPlainTextEdit::textChanged, this, [this] {
            if (!settingText_) {
                notifyEdited();
            }
        });
    } else {
        auto* edit = static_cast<FilteredEdit<QLineEdit>*>(widget());
        edit->box = this;
        line_ = edit;
        connect(line_, &QLineEdit::textEdited, this, [this] { notifyEdited(); });
    }
    setText(initialText);
}

Text EditBox::text() const {
    const QString shown = line_ ? line_->text() : multi_->toPlainText();
    if (shown == shownText_) {
        return setText_;
    }
    QString content = shown;
    if (multi_) {
        content.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    }
    return fromQString(content);
}

void EditBox::setText(const Text& text) {
    settingText_ = true;
    if (line_) {
        line_->setText(toQString(text));
        // Show a long path from its beginning, as the operator reads it.
        line_->setCursorPosition(0);
        shownText_ = line_->text();
    } else {
        QString content = toQString(text);
        content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        multi_->setPlainText(content);
        shownText_ = multi_->toPlainText();
    }
    setText_ = text;
    settingText_ = false;
}

void EditBox::selectAll() {
    if (line_) {
        line_->selectAll();
    } else {
        multi_->selectAll();
    }
}

void EditBox::setTypingLimit(int bytes) {
    typingLimit_ = bytes;
}

void EditBox::setDigitsOnly(bool digitsOnly) {
    digitsOnly_ = digitsOnly;
}

void EditBox::setCentred() {
    if (line_) {
        line_->setAlignment(Qt::AlignCenter);
    }
}

bool EditBox::acceptsTyped(const QString& typed) const {
    if (digitsOnly_) {
        for (QChar c : typed) {
            if (c != u'-' && (c < u'0' || c > u'9')) {
                return false;
            }
        }
    }
    if (typingLimit_) {
        QString result;
        if (line_) {
            result = line_->text();
            if (line_->hasSelectedText()) {
                result.remove(line_->selectionStart(), line_->selectedText().size());
                result.insert(line_->selectionStart(), typed);
            } else {
                result.insert(line_->cursorPosition(), typed);
            }
        } else {
            QTextCursor cursor = multi_->textCursor();
            result = multi_->toPlainText();
            result.remove(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart());
            result.insert(cursor.selectionStart(), typed);
        }
        if (gbkLength(result) > *typingLimit_) {
            return false;
        }
    }
    return true;
}

void EditBox::notifyFocusLost() {
    Q_EMIT focusLost();
}

void EditBox::notifyEdited() {
    Q_EMIT contentChanged();
}

void EditBox::attachUpDown(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    QWidget* parent = widget()->parentWidget();
    const QString name = widget()->objectName();
    const int half = height() / 2;
    up_ = new QToolButton(parent);
    up_->setArrowType(Qt::UpArrow);
    up_->setObjectName(name + QStringLiteral("_up"));
    up_->setGeometry(left() + width(), top(), 18, half);
    down_ = new QToolButton(parent);
    down_->setArrowType(Qt::DownArrow);
    down_->setObjectName(name + QStringLiteral("_down"));
    down_->setGeometry(left() + width(), top() + half, 18, height() - half);
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
    }
    connect(up_, &QToolButton::clicked, this, &EditBox::stepUp);
    connect(down_, &QToolButton::clicked, this, &EditBox::stepDown);
}

void EditBox::stepUp() {
    step(1);
}

void EditBox::stepDown() {
    step(-1);
}

void EditBox::step(int delta) {
    int value = numberOf(text()) + delta;
    if (value > maximum_) {
        value = minimum_;
    } else if (value < minimum_) {
        value = maximum_;
    }
    setText(toText(value));
    selectAll();
    setFocus();
    Q_EMIT contentChanged();
}

}  // namespace exambell
