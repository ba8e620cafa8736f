#pragma once
// Edit box: a single-line box (QLineEdit) or a multi-line one with a vertical scroll bar
// (QPlainTextEdit). Texts are GBK; a multi-line box's line breaks cross as CR LF.
//
// Typing rules apply to typed characters only (keys and input-method commits); texts the program
// sets and pasted texts are neither limited nor filtered:
// - typing limit: the GBK byte length the typed text may bring the box to. An input method
//   commits whole words: of a commit that does not fit, the whole characters that fit are kept
//   ("网页设计" into an empty 5-byte box gives "网页");
// - digits only: typed printable characters other than '-' and '0'..'9' are ignored.
// A character GBK cannot hold (䶮, 𠀀, ë) is refused wherever it comes from (keys, input-method
// commits, pastes, drops) with a short tooltip naming it: the program's texts are GBK, and it
// would silently become "?".
// A path box shows the end of a long path (the file name) and the whole path as its tooltip.
// The up-down control is a pair of arrow buttons, 18 px wide, just right of the box; an arrow
// steps the box's number by one with wrap-around at the range's ends, selects the new text, gives
// the box the focus and raises contentChanged.

#include <QString>
#include <optional>

#include "text/Text.h"
#include "ui/Control.h"

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace exambell {

class EditBox : public Control {
    Q_OBJECT
  public:
    enum class Lines { Single, Multi };

    EditBox(QWidget* parent, const Text& designName, const Text& initialText,
            Lines lines = Lines::Single);

    Text text() const;
    // Sets the content; raises no contentChanged.
    void setText(const Text& text);
    void selectAll();

    void setTypingLimit(int bytes);
    void setDigitsOnly(bool digitsOnly);
    void setCentred();
    // A path box: shows the end of a text that does not fit, and the whole text as tooltip.
    void setShowsEnd();
    // Attaches the up-down control (range minimum..maximum) just right of the box; call after
    // the box has its geometry. The arrows are named designName + "_up" / "_down".
    void attachUpDown(int minimum, int maximum);
    // What the upper and lower arrows do.
    void stepUp();
    void stepDown();

    // The widget, for layout and tests: exactly one of them is set.
    QLineEdit* lineEdit() const { return line_; }
    QPlainTextEdit* textEdit() const { return multi_; }

    // Whether a typed text would be accepted at the cursor (the typing rules above).
    bool acceptsTyped(const QString& typed) const;
    // The longest start of an input-method commit, in whole characters, that the typing rules
    // accept at the cursor (may be empty).
    QString fittingCommit(const QString& commit) const;
    // Refuses a text holding a character GBK cannot hold: shows the tooltip naming the first
    // such character and returns true; false (and nothing shown) when GBK holds every one.
    bool refuseNonGbk(const QString& incoming);
    // The first character of the content that the conversion to GBK would lose; nothing when
    // text() gives back the content whole. A save checks this before it writes.
    std::optional<char32_t> nonGbkCharacter() const;
    // The tooltip text of the last refusal (empty before the first).
    const QString& lastRefusal() const { return lastRefusal_; }
    // Called by the widget when it has lost the focus / the user changed its text.
    void notifyFocusLost();
    void notifyEdited();

  Q_SIGNALS:
    // The box lost the keyboard focus (to another control or another window).
    void focusLost();
    // The text changed by typing, pasting or the up-down arrows; never by setText().
    void contentChanged();

  private:
    void step(int delta);
    void updatePathTooltip();

    QLineEdit* line_ = nullptr;
    QPlainTextEdit* multi_ = nullptr;
    std::optional<int> typingLimit_;
    bool digitsOnly_ = false;
    bool showsEnd_ = false;
    QString lastRefusal_;
    bool settingText_ = false;
    // The text last set by the program and what the widget made of it: while the widget still
    // shows exactly that, text() gives back the original bytes, even those that are no GBK.
    Text setText_;
    QString shownText_;
    int minimum_ = 0;
    int maximum_ = 0;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

}  // namespace exambell
