#include "ui/EditBox.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolButton>
#include <QToolTip>
#include <QValidator>
#include <algorithm>
#include <vector>

#include "text/Encoding.h"
#include "ui/QtText.h"

namespace exambell {
namespace {

// The tooltip that refuses a character GBK cannot hold: the character, then its code (some such
// characters are invisible or look like others).
constexpr const char* kNonGbkTip = "“%1”（%2）不在 GBK 字符集中，无法输入";
constexpr int kTipMilliseconds = 4000;

// Every character of a text that GBK cannot hold, in order.
std::vector<char32_t> nonGbkCharacters(const QString& text) {
    std::vector<char32_t> found;
    if (!firstNonGbkCharacter(text.toStdU16String())) {
        return found;
    }
    for (char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (firstNonGbkCharacter(one.toStdU16String())) {
            found.push_back(c);
        }
    }
    return found;
}

// Judges every change of a single-line box (typing, pasting, dropping, undo): a change that brings
// in a character GBK cannot hold is refused. Characters already shown (a text the program set,
// holding bytes that are no GBK) stay acceptable.
class GbkValidator : public QValidator {
  public:
    GbkValidator(EditBox* box, QObject* parent) : QValidator(parent), box_(box) {}
    // The content as it stood after the last accepted change.
    QString accepted;

    State validate(QString& input, int&) const override {
        std::vector<char32_t> before = nonGbkCharacters(accepted);
        for (char32_t c : nonGbkCharacters(input)) {
            auto same = std::find(before.begin(), before.end(), c);
            if (same != before.end()) {
                before.erase(same);
                continue;
            }
            box_->refuseNonGbk(QString::fromUcs4(&c, 1));
            return Invalid;
        }
        return Acceptable;
    }

  private:
    EditBox* box_;
};

// The widgets report typed characters, focus loss and user edits to their EditBox.
template <typename Base>
class FilteredEdit : public Base {
  public:
    explicit FilteredEdit(QWidget* parent) : Base(parent) {}
    EditBox* box = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (box && isTypedCharacter(event) &&
            (box->refuseNonGbk(event->text()) || !box->acceptsTyped(event->text()))) {
            event->accept();
            return;
        }
        Base::keyPressEvent(event);
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        const QString commit = event->commitString();
        if (box && !commit.isEmpty()) {
            const bool refused = box->refuseNonGbk(commit);
            if (refused || !box->acceptsTyped(commit)) {
                // Keep what fits (nothing of a refused commit) and let the pre-edit state end
                // normally.
                QInputMethodEvent rest(QString(), event->attributes());
                if (!refused) {
                    rest.setCommitString(box->fittingCommit(commit), event->replacementStart(),
                                         event->replacementLength());
                }
                Base::inputMethodEvent(&rest);
                return;
            }
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

// A multi-line box also judges what is pasted or dropped into it.
class FilteredPlainEdit : public FilteredEdit<QPlainTextEdit> {
  public:
    using FilteredEdit<QPlainTextEdit>::FilteredEdit;

  protected:
    void insertFromMimeData(const QMimeData* source) override {
        if (box && source->hasText() && box->refuseNonGbk(source->text())) {
            return;
        }
        FilteredEdit<QPlainTextEdit>::insertFromMimeData(source);
    }
};

QWidget* makeWidget(QWidget* parent, EditBox::Lines lines) {
    if (lines == EditBox::Lines::Multi) {
        auto* edit = new FilteredPlainEdit(parent);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        // Tab moves on to the next control, as in every other box; no name holds a tab.
        edit->setTabChangesFocus(true);
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
    : Control(makeWidget(parent, lines), designName) {
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
        auto* validator = new GbkValidator(this, line_);
        line_->setValidator(validator);
        connect(line_, &QLineEdit::textChanged, validator, [this, validator](const QString& text) {
            validator->accepted = text;
            updatePathTooltip();
        });
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
        // A path box shows its end, the file name; other boxes show their beginning.
        line_->setCursorPosition(showsEnd_ ? static_cast<int>(line_->text().size()) : 0);
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

void EditBox::setShowsEnd() {
    showsEnd_ = true;
    if (line_) {
        line_->setCursorPosition(static_cast<int>(line_->text().size()));
    }
    updatePathTooltip();
}

void EditBox::updatePathTooltip() {
    if (showsEnd_ && line_) {
        line_->setToolTip(line_->text());
    }
}

QString EditBox::fittingCommit(const QString& commit) const {
    QString fitting;
    for (char32_t c : commit.toUcs4()) {
        const QString longer = fitting + QString::fromUcs4(&c, 1);
        if (!acceptsTyped(longer)) {
            break;
        }
        fitting = longer;
    }
    return fitting;
}

bool EditBox::refuseNonGbk(const QString& incoming) {
    const std::optional<char32_t> c = firstNonGbkCharacter(incoming.toStdU16String());
    if (!c) {
        return false;
    }
    lastRefusal_ =
        QString::fromUtf8(kNonGbkTip).arg(QString::fromUcs4(&*c, 1), toQString(characterCode(*c)));
    QWidget* shown = widget();
    QToolTip::showText(shown->mapToGlobal(QPoint(0, shown->height())), lastRefusal_, shown, QRect(),
                       kTipMilliseconds);
    return true;
}

std::optional<char32_t> EditBox::nonGbkCharacter() const {
    const QString shown = line_ ? line_->text() : multi_->toPlainText();
    if (shown == shownText_) {
        return std::nullopt;
    }
    return firstNonGbkCharacter(shown.toStdU16String());
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
