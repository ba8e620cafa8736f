#include "seating/ClassRoster.h"

#include "seating/ClassStore.h"
#include "settings/ProfileStore.h"
#include "text/Encoding.h"
#include "text/Paths.h"
#include "ui/SeatingWindow.h"

namespace exambell {

namespace {

constexpr std::string_view kStoreSection = "Class_";
constexpr std::string_view kStoreKey = "Student";

constexpr std::string_view kNameTooLong =
    "\xD3\xD0\xD1\xA7\xC9\xFA\xB5\xC4\xC3\xFB\xD7\xD6\xB3\xAC\xB9\xFD"
    "12\xB8\xF6\xD7\xD6\xB7\xFB\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xB7\xD6\xB8\xF4\xB7\xFB\xCA\xC7\xB7"
    "\xF1\xCC\xEE\xD0\xB4\xD5\xFD\xC8\xB7";  // 有学生的名字超过12个字符，请检查分隔符是否填写正确

// A name holding "," "%class%" or a line break would be split differently when read back:
// "学生名字“" / "班级名称“" + name +
// "”含有逗号、换行或“%class%”，会破坏班级信息的保存格式，请修改后再导入".
constexpr std::string_view kStudentNamePrefix = "\xD1\xA7\xC9\xFA\xC3\xFB\xD7\xD6\xA1\xB0";
constexpr std::string_view kClassNamePrefix = "\xB0\xE0\xBC\xB6\xC3\xFB\xB3\xC6\xA1\xB0";
constexpr std::string_view kBreaksFormatSuffix =
    "\xA1\xB1\xBA\xAC\xD3\xD0\xB6\xBA\xBA\xC5\xA1\xA2\xBB\xBB\xD0\xD0\xBB\xF2\xA1\xB0%class%"
    "\xA1\xB1"
    "\xA3\xAC\xBB\xE1\xC6\xC6\xBB\xB5\xB0\xE0\xBC\xB6\xD0\xC5\xCF\xA2\xB5\xC4\xB1\xA3\xB4\xE6\xB8"
    "\xF1\xCA\xBD\xA3\xAC\xC7\xEB\xD0\xDE\xB8\xC4\xBA\xF3\xD4\xD9\xB5\xBC\xC8\xEB";

// "请确认班级信息" CR LF "班级：" name CR LF "人数：" count.
constexpr std::string_view kConfirmHeading =
    "\xC7\xEB\xC8\xB7\xC8\xCF\xB0\xE0\xBC\xB6\xD0\xC5\xCF\xA2";
constexpr std::string_view kConfirmClass = "\xB0\xE0\xBC\xB6\xA3\xBA";  // 班级：
constexpr std::string_view kConfirmCount = "\xC8\xCB\xCA\xFD\xA3\xBA";  // 人数：
constexpr std::string_view kLineBreak = "\r\n";

// "班级： " name " 已存在，是否覆盖？"
constexpr std::string_view kOverwritePrefix = "\xB0\xE0\xBC\xB6\xA3\xBA ";
constexpr std::string_view kOverwriteSuffix =
    " \xD2\xD1\xB4\xE6\xD4\xDA\xA3\xAC\xCA\xC7\xB7\xF1\xB8\xB2\xB8\xC7\xA3\xBF";

constexpr std::string_view kSaved = "\xB1\xA3\xB4\xE6\xB3\xC9\xB9\xA6";  // 保存成功
// 保存失败：无法写入配置文件，原有的班级信息没有改动
constexpr std::string_view kSaveFailed =
    "\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC\xA3\xBA\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xC5\xE4\xD6\xC3\xCE"
    "\xC4"
    "\xBC\xFE\xA3\xAC\xD4\xAD\xD3\xD0\xB5\xC4\xB0\xE0\xBC\xB6\xD0\xC5\xCF\xA2\xC3\xBB\xD3\xD0\xB8"
    "\xC4"
    "\xB6\xAF";
// A longer store could not be read back whole (reads stop after 10,239 bytes):
// 班级信息将超过10239字节，配置文件无法完整保存，请删减班级或学生后再试
constexpr std::string_view kStoreTooLong =
    "\xB0\xE0\xBC\xB6\xD0\xC5\xCF\xA2\xBD\xAB\xB3\xAC\xB9\xFD"
    "10239\xD7\xD6\xBD\xDA\xA3\xAC\xC5\xE4\xD6\xC3\xCE\xC4\xBC\xFE\xCE\xDE\xB7\xA8\xCD\xEA\xD5\xFB"
    "\xB1\xA3\xB4\xE6\xA3\xAC\xC7\xEB\xC9\xBE\xBC\xF5\xB0\xE0\xBC\xB6\xBB\xF2\xD1\xA7\xC9\xFA\xBA"
    "\xF3"
    "\xD4\xD9\xCA\xD4";

Text breaksFormatMessage(std::string_view prefix, std::string_view name) {
    Text text(prefix);
    text += name;
    text += kBreaksFormatSuffix;
    return text;
}

}  // namespace

ClassRoster::ClassRoster(SeatingWindow& window, Dialogs& dialogs, Text configFile,
                         std::function<void()> beforeFirstSave)
    : window_(window),
      dialogs_(dialogs),
      configFile_(std::move(configFile)),
      beforeFirstSave_(std::move(beforeFirstSave)) {}

int ClassRoster::message(const Text& text, MessageButtons buttons, MessageIcon icon) {
    return dialogs_.message(text, buttons, icon, &window_);
}

Text ClassRoster::readStore() const {
    return ProfileStore::read(configFile_, kStoreSection, kStoreKey, "");
}

bool ClassRoster::writeStore(const Text& store) const {
    return ProfileStore::write(configFile_, kStoreSection, kStoreKey, store);
}

void ClassRoster::listClasses() {
    ComboBox& box = *window_.classBox;
    box.clear();
    for (const ClassEntry& entry : ClassStore::entries(readStore())) {
        box.addItem(entry.name, entry.value);
    }
}

void ClassRoster::chooseClass() {
    chosenNames_.clear();
    const ComboBox& box = *window_.classBox;
    const int value = box.currentValue();
    // An entry of value 0 is no stored class: it loads an empty roster.
    Text element;
    if (value != 0) {
        std::optional<Text> stored = ClassStore::element(readStore(), value);
        // The box holds its texts in Unicode: compare the name as it went through the box.
        if (!stored || utf16ToGbk(gbkToUtf16(ClassStore::className(*stored))) != box.text()) {
            // The store changed since the list was filled; offer what it holds now.
            listClasses();
            return;
        }
        element = std::move(*stored);
    }
    const LoadedClass loaded = ClassStore::load(element);
    if (loaded.count) {
        window_.countEdit->setText(toText(*loaded.count));
    }
    chosenNames_ = loaded.joined;
    if (loaded.tooLong) {
        message(Text(kNameTooLong), MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    window_.rosterEdit->setText(chosenNames_);
    window_.classNameEdit->setText(box.text());
}

void ClassRoster::importClass() {
    // The store is GBK: a character GBK lacks would be saved as "?", the name damaged.
    for (const EditBox* box : {window_.rosterEdit, window_.classNameEdit}) {
        if (const std::optional<char32_t> lost = box->nonGbkCharacter()) {
            message(nonGbkSaveMessage(*lost), MessageButtons::Ok, MessageIcon::Error);
            return;
        }
    }
    const Text separator = ClassStore::separatorFor(window_.separatorBox->text());
    const RosterCheck roster = ClassStore::checkRoster(window_.rosterEdit->text(), separator);
    if (roster.problem == NameProblem::TooLong) {
        message(Text(kNameTooLong), MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    if (roster.problem == NameProblem::BreaksFormat) {
        message(breaksFormatMessage(kStudentNamePrefix, roster.offendingName), MessageButtons::Ok,
                MessageIcon::Error);
        return;
    }
    const Text className = window_.classNameEdit->text();
    if (ClassStore::breaksFormat(className)) {
        message(breaksFormatMessage(kClassNamePrefix, className), MessageButtons::Ok,
                MessageIcon::Error);
        return;
    }
    Text question(kConfirmHeading);
    question += kLineBreak;
    question += kConfirmClass;
    question += className;
    question += kLineBreak;
    question += kConfirmCount;
    question += toText(roster.count);
    if (message(question, MessageButtons::OkCancel, MessageIcon::None) != kOk) {
        return;
    }
    if (!fileExists(configFile_) && beforeFirstSave_) {
        beforeFirstSave_();
    }
    saveClass(className, roster.joined);
}

void ClassRoster::saveClass(const Text& className, const Text& joinedNames) {
    const auto confirmOverwrite = [&] {
        Text question(kOverwritePrefix);
        question += className;
        question += kOverwriteSuffix;
        return message(question, MessageButtons::YesNo, MessageIcon::None) == kYes;
    };
    const std::optional<Text> store =
        ClassStore::withClass(readStore(), className, joinedNames, confirmOverwrite);
    if (!store) {
        return;
    }
    if (store->size() > ProfileStore::kMaxValueBytes) {
        message(Text(kStoreTooLong), MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    if (!writeStore(*store)) {
        message(Text(kSaveFailed), MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    message(Text(kSaved), MessageButtons::Ok, MessageIcon::None);
}

}  // namespace exambell
