#include "seating/ClassRoster.h"

#include "seating/ClassStore.h"
#include "seating/SeatingView.h"
#include "settings/ProfileStore.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {

namespace {

constexpr std::string_view kStoreSection = "Class_";
constexpr std::string_view kStoreKey = "Student";

const Text kNameTooLong = utf8ToGbk("有学生的名字超过12个字符，请检查分隔符是否填写正确");

// A name holding "," "%class%" or a line break would be split differently when read back.
const Text kStudentNamePrefix = utf8ToGbk("学生名字“");
const Text kClassNamePrefix = utf8ToGbk("班级名称“");
const Text kBreaksFormatSuffix =
    utf8ToGbk("”含有逗号、换行或“%class%”，会破坏班级信息的保存格式，请修改后再导入");

const Text kConfirmHeading = utf8ToGbk("请确认班级信息");
const Text kConfirmClass = utf8ToGbk("班级：");
const Text kConfirmCount = utf8ToGbk("人数：");
constexpr std::string_view kLineBreak = "\r\n";

const Text kOverwritePrefix = utf8ToGbk("班级： ");
const Text kOverwriteSuffix = utf8ToGbk(" 已存在，是否覆盖？");

const Text kSaved = utf8ToGbk("保存成功");
const Text kSaveFailed = utf8ToGbk("保存失败：无法写入配置文件，原有的班级信息没有改动");
// A longer store could not be read back whole (reads stop after 10,239 bytes).
const Text kStoreTooLong =
    utf8ToGbk("班级信息将超过10239字节，配置文件无法完整保存，请删减班级或学生后再试");

const Text kChooseFirst = utf8ToGbk("请先在班级列表中选择一个已保存的班级");
const Text kStoreChanged = utf8ToGbk("班级信息已被修改，请重新选择班级");
const Text kNameEmpty = utf8ToGbk("请在“班级”框中填写新的班级名称");
const Text kNameTakenPrefix = utf8ToGbk("已有名为 ");
const Text kNameTakenSuffix = utf8ToGbk(" 的班级，请换一个名称");
const Text kRenamePrefix = utf8ToGbk("把班级 ");
const Text kRenameMiddle = utf8ToGbk(" 改名为 ");
const Text kRenameSuffix = utf8ToGbk(" 吗？");
const Text kRenamed = utf8ToGbk("改名成功");
const Text kDeletePrefix = utf8ToGbk("确定删除班级 ");
const Text kDeleteSuffix = utf8ToGbk(" 吗？删除后不能恢复");
const Text kDeleted = utf8ToGbk("已删除");

Text breaksFormatMessage(std::string_view prefix, std::string_view name) {
    Text text(prefix);
    text += name;
    text += kBreaksFormatSuffix;
    return text;
}

}  // namespace

ClassRoster::ClassRoster(SeatingView& view, Dialogs& dialogs, Text configFile,
                         std::function<void()> beforeFirstSave)
    : view_(view),
      dialogs_(dialogs),
      configFile_(std::move(configFile)),
      beforeFirstSave_(std::move(beforeFirstSave)) {}

int ClassRoster::message(const Text& text, MessageButtons buttons, MessageIcon icon) {
    return dialogs_.message(text, buttons, icon, view_.owner());
}

Text ClassRoster::readStore() const {
    return ProfileStore::read(configFile_, kStoreSection, kStoreKey, "");
}

bool ClassRoster::writeStore(const Text& store) const {
    return ProfileStore::write(configFile_, kStoreSection, kStoreKey,
                               ClassStore::profileValue(store));
}

void ClassRoster::listClasses() {
    view_.setClassEntries(ClassStore::entries(readStore()));
}

void ClassRoster::chooseClass() {
    chosenNames_.clear();
    const ChartFields fields = view_.chartFields();
    const int value = fields.classValue;
    // An entry of value 0 is no stored class: it loads an empty roster.
    Text element;
    if (value != 0) {
        std::optional<Text> stored = ClassStore::element(readStore(), value);
        // The box holds its texts in Unicode: compare the name as it went through the box.
        if (!stored || utf16ToGbk(gbkToUtf16(ClassStore::className(*stored))) != fields.classText) {
            // The store changed since the list was filled; offer what it holds now.
            listClasses();
            return;
        }
        element = std::move(*stored);
    }
    const LoadedClass loaded = ClassStore::load(element);
    if (loaded.count) {
        view_.setCount(toText(*loaded.count));
    }
    chosenNames_ = loaded.joined;
    if (loaded.tooLong) {
        message(kNameTooLong, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    view_.setRoster(chosenNames_);
    view_.setClassName(fields.classText);
}

void ClassRoster::importClass() {
    const ImportFields fields = view_.importFields();
    // The store is GBK: a character GBK lacks would be saved as "?", the name damaged.
    if (fields.lostCharacter) {
        message(nonGbkSaveMessage(*fields.lostCharacter), MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    const Text separator = ClassStore::separatorFor(fields.separator);
    const RosterCheck roster = ClassStore::checkRoster(fields.roster, separator);
    if (roster.problem == NameProblem::TooLong) {
        message(kNameTooLong, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    if (roster.problem == NameProblem::BreaksFormat) {
        message(breaksFormatMessage(kStudentNamePrefix, roster.offendingName), MessageButtons::Ok,
                MessageIcon::Error);
        return;
    }
    const Text className = ClassStore::trimmedClassName(fields.className);
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
        message(kStoreTooLong, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    if (!writeStore(*store)) {
        message(kSaveFailed, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    // The class loaded for the chart takes its new names, and the count goes with them.
    const ChartFields chosen = view_.chartFields();
    if (chosen.classValue != 0 && !chosen.classText.empty() &&
        ClassStore::sameClassName(chosen.classText, className)) {
        chosenNames_ = joinedNames;
        std::int64_t count = 0;
        for (const Text& name : splitText(joinedNames, ",")) {
            count += name.empty() ? 0 : 1;
        }
        view_.setCount(toText(count));
    }
    message(kSaved, MessageButtons::Ok, MessageIcon::None);
}

std::optional<int> ClassRoster::chosenStoredClass(const Text& store, const Text& shownName) {
    const int value = view_.chartFields().classValue;
    if (value == 0) {
        message(kChooseFirst, MessageButtons::Ok, MessageIcon::None);
        return std::nullopt;
    }
    const std::optional<Text> stored = ClassStore::element(store, value);
    if (!stored || utf16ToGbk(gbkToUtf16(ClassStore::className(*stored))) != shownName) {
        listClasses();
        message(kStoreChanged, MessageButtons::Ok, MessageIcon::None);
        return std::nullopt;
    }
    return value;
}

void ClassRoster::renameClass() {
    const Text store = readStore();
    const Text oldName = view_.chartFields().classText;
    const std::optional<int> value = chosenStoredClass(store, oldName);
    if (!value) {
        return;
    }
    const ImportFields fields = view_.importFields();
    // The store is GBK: a character GBK lacks would be saved as "?".
    if (fields.lostCharacter) {
        message(nonGbkSaveMessage(*fields.lostCharacter), MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    const Text newName = ClassStore::trimmedClassName(fields.className);
    if (newName.empty()) {
        message(kNameEmpty, MessageButtons::Ok, MessageIcon::None);
        return;
    }
    if (newName == oldName) {
        return;
    }
    if (ClassStore::breaksFormat(newName)) {
        message(breaksFormatMessage(kClassNamePrefix, newName), MessageButtons::Ok,
                MessageIcon::Error);
        return;
    }
    if (ClassStore::hasOtherClassNamed(store, *value, newName)) {
        message(kNameTakenPrefix + newName + kNameTakenSuffix, MessageButtons::Ok,
                MessageIcon::None);
        return;
    }
    const std::optional<Text> renamed = ClassStore::withClassRenamed(store, *value, newName);
    if (!renamed) {
        return;
    }
    if (renamed->size() > ProfileStore::kMaxValueBytes) {
        message(kStoreTooLong, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    if (message(kRenamePrefix + oldName + kRenameMiddle + newName + kRenameSuffix,
                MessageButtons::OkCancel, MessageIcon::None) != kOk) {
        return;
    }
    if (!writeStore(*renamed)) {
        message(kSaveFailed, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    listClasses();
    message(kRenamed, MessageButtons::Ok, MessageIcon::None);
}

void ClassRoster::deleteClass() {
    const Text store = readStore();
    const Text name = view_.chartFields().classText;
    const std::optional<int> value = chosenStoredClass(store, name);
    if (!value) {
        return;
    }
    if (message(kDeletePrefix + name + kDeleteSuffix, MessageButtons::YesNo, MessageIcon::None) !=
        kYes) {
        return;
    }
    const std::optional<Text> smaller = ClassStore::withoutClass(store, *value);
    if (!smaller || !writeStore(*smaller)) {
        message(kSaveFailed, MessageButtons::Ok, MessageIcon::Error);
        return;
    }
    chosenNames_.clear();
    listClasses();
    message(kDeleted, MessageButtons::Ok, MessageIcon::None);
}

}  // namespace exambell
