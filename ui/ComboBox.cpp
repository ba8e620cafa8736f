#include "ui/ComboBox.h"

#include <QCollator>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <functional>

#include "ui/QtText.h"

namespace exambell {
namespace {

class DropDownCombo : public QComboBox {
  public:
    explicit DropDownCombo(QWidget* parent) : QComboBox(parent) {}
    std::function<void()> beforePopup;

    void showPopup() override {
        if (beforePopup) {
            beforePopup();
        }
        QComboBox::showPopup();
    }
};

}  // namespace

ComboBox::ComboBox(QWidget* parent, const Text& designName, Kind kind, bool sorted)
    : Control(new DropDownCombo(parent), designName), sorted_(sorted) {
    QComboBox* box = comboBox();
    box->setEditable(kind == Kind::Editable);
    box->setInsertPolicy(QComboBox::NoInsert);
    static_cast<DropDownCombo*>(box)->beforePopup = [this] { Q_EMIT aboutToDropDown(); };
    connect(box, &QComboBox::activated, this, [this] { Q_EMIT itemChosen(); });
}

QComboBox* ComboBox::comboBox() const {
    return static_cast<QComboBox*>(widget());
}

Text ComboBox::text() const {
    return fromQString(comboBox()->currentText());
}

void ComboBox::setText(const Text& text) {
    comboBox()->setEditText(toQString(text));
}

int ComboBox::currentIndex() const {
    return comboBox()->currentIndex();
}

void ComboBox::setCurrentIndex(int index) {
    comboBox()->setCurrentIndex(index);
}

int ComboBox::count() const {
    return comboBox()->count();
}

void ComboBox::clear() {
    QComboBox* box = comboBox();
    const QString typed = box->isEditable() ? box->currentText() : QString();
    box->clear();
    if (box->isEditable()) {
        box->setEditText(typed);
    }
}

int ComboBox::addItem(const Text& text, int value) {
    QComboBox* box = comboBox();
    const QString item = toQString(text);
    int at = box->count();
    if (sorted_) {
        // Windows' sorted lists order by the locale's collation; the program's texts are Chinese.
        QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
        at = 0;
        while (at < box->count() && collator.compare(box->itemText(at), item) <= 0) {
            ++at;
        }
    }
    const bool noneChosen = box->currentIndex() < 0;
    const QString typed = box->currentText();
    box->insertItem(at, item, value);
    if (noneChosen) {
        box->setCurrentIndex(-1);
        if (box->isEditable()) {
            box->setEditText(typed);
        }
    }
    return at;
}

Text ComboBox::itemText(int index) const {
    return fromQString(comboBox()->itemText(index));
}

int ComboBox::itemValue(int index) const {
    return comboBox()->itemData(index).toInt();
}

int ComboBox::currentValue() const {
    const int index = currentIndex();
    return index < 0 ? 0 : itemValue(index);
}

}  // namespace exambell
