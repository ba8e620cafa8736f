#include "rooms/RoomArrangement.h"

#include <algorithm>
#include <map>

#include "seating/ClassStore.h"
#include "seating/DrawCode.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

const Text kNameTooLong = utf8ToGbk("有学生的名字超过12个字符，请检查分隔符是否填写正确");
const Text kBreaksFormatPrefix = utf8ToGbk("名字“");
const Text kBreaksFormatSuffix = utf8ToGbk("”含有逗号、换行或“%class%”，请修改后再导入");
const Text kClassNameMissing = utf8ToGbk("请在“班级”框中填写班级名称");
const Text kConfirmHeading = utf8ToGbk("请确认班级信息");
const Text kConfirmClass = utf8ToGbk("班级：");
const Text kConfirmCount = utf8ToGbk("人数：");
const Text kSameNames1 = utf8ToGbk("其中同名的有 ");
const Text kSameNames2 = utf8ToGbk(" 人（");
const Text kListComma = utf8ToGbk("、");
const Text kSameNames3 = utf8ToGbk("），都会编排，以考号区分");
const Text kOverwritePrefix = utf8ToGbk("班级： ");
const Text kOverwriteSuffix = utf8ToGbk(" 已存在，是否覆盖？");
const Text kSaved = utf8ToGbk("保存成功");
const Text kSaveFailed = utf8ToGbk("保存失败：无法写入配置文件，原有的名单没有改动");
const Text kChooseFirst = utf8ToGbk("请先在年级班级列表中选择一个班级");
const Text kClassGone = utf8ToGbk("这个班级已不在名单中，列表已刷新");
const Text kDeletePrefix = utf8ToGbk("确定删除年级班级 ");
const Text kDeleteSuffix = utf8ToGbk(" 吗？删除后不能恢复");
const Text kDeleteFailed = utf8ToGbk("删除失败：无法写入配置文件");
const Text kEntryOpen = utf8ToGbk("（");
const Text kEntryClose = utf8ToGbk("人）");
const Text kRoomNamePrefix = utf8ToGbk("第");
const Text kRoomNameSuffix = utf8ToGbk("考场");
const Text kBatchRange = utf8ToGbk("考场数须在1到999之间，排数和列数须在1到99之间");
const Text kRoomLinePrefix = utf8ToGbk("考场列表第 ");
const Text kRoomLineMiddle = utf8ToGbk(" 行：");
const Text kDigitsNotNumbers = utf8ToGbk("考场位数和座号位数须填数字");
const Text kBadCode =
    utf8ToGbk("抽签码无效：应为11个字母或数字（不含0、1、I、O），请核对后重新输入");
const Text kPairs1 = utf8ToGbk("有的班级人数太多，无法让同班考生全部不相邻；已尽量分开，仍有 ");
const Text kPairs2 = utf8ToGbk(" 对同班考生前后或左右相邻");
const Text kNotKept = utf8ToGbk("编排已完成，但无法写入配置文件：下次打开时不会显示这次编排");
const Text kArrangeFirst = utf8ToGbk("请先编排考场");
const Text kPdfFilter = utf8ToGbk("PDF 文件|*.pdf");
const Text kWorkbookFilter = utf8ToGbk("Excel 工作簿|*.xlsx");
const Text kRoomsPdf = utf8ToGbk("考场安排");
const Text kLabelsPdf = utf8ToGbk("桌贴");
const Text kWorkbookName = utf8ToGbk("考场编排");
const Text kWriteFailed = utf8ToGbk("无法写入这个文件，请换一个位置或文件名；原有的文件没有改动");
const Text kRosterChanged = utf8ToGbk("名单已改动，与这次编排不同");
const Text kNoteRooms = utf8ToGbk("个考场，");
const Text kNotePeople = utf8ToGbk("人");
const Text kSummaryRoom = utf8ToGbk("考场");
const Text kSummarySize = utf8ToGbk("排×列");
const Text kSummarySeats = utf8ToGbk("座位");
const Text kSummaryCount = utf8ToGbk("人数");
const Text kSummaryFrom = utf8ToGbk("起始考号");
const Text kSummaryTo = utf8ToGbk("结束考号");
const Text kSummaryClasses = utf8ToGbk("班级数");
const Text kSummaryPairs = utf8ToGbk("同班相邻");
const Text kTimes = utf8ToGbk("×");

Text withExtension(Text path, const Text& extension) {
    const bool has = path.size() >= extension.size() &&
                     sameIgnoringAsciiCase(
                         std::string_view(path).substr(path.size() - extension.size()), extension);
    return has ? path : path + extension;
}

Text twoOrMore(int number, int digits) {
    Text text = toText(number);
    if (static_cast<int>(text.size()) < digits) {
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    }
    return text;
}

}  // namespace

RoomArrangement::RoomArrangement(ArrangementView& view, Dialogs& dialogs, const Clock& clock,
                                 RoomOutput& output, Text configFile,
                                 std::function<void()> beforeFirstSave)
    : view_(view),
      dialogs_(dialogs),
      clock_(clock),
      output_(output),
      configFile_(std::move(configFile)),
      beforeFirstSave_(std::move(beforeFirstSave)),
      roster_(configFile_) {}

void RoomArrangement::beforeSave() {
    // A config.ini started by this window would lack the exam and cue settings.
    if (beforeFirstSave_ && !fileExists(configFile_)) {
        beforeFirstSave_();
    }
}

void RoomArrangement::tell(const Text& text, MessageIcon icon) {
    dialogs_.message(text, MessageButtons::Ok, icon, view_.owner());
}

void RoomArrangement::refreshClasses() {
    std::vector<Text> entries;
    for (const GradeClass& grade : roster_.classes()) {
        entries.push_back(grade.name + kEntryOpen +
                          toText(static_cast<std::int64_t>(grade.names.size())) + kEntryClose);
    }
    view_.setClassEntries(entries);
}

void RoomArrangement::windowOpened() {
    const ArrangementSettings settings = ArrangementSettings::load(configFile_);
    view_.showSettings(settings);
    refreshClasses();
    if (const std::optional<std::uint64_t> seed = DrawCode::parse(settings.code)) {
        arrangeWith(*seed, true);
    }
}

void RoomArrangement::importClass() {
    const ArrangementFields fields = view_.fields();
    if (fields.importLost) {
        tell(nonGbkSaveMessage(*fields.importLost), MessageIcon::Error);
        return;
    }
    const Text className = fields.className;
    if (className.find_first_not_of(" \t") == Text::npos) {
        tell(kClassNameMissing);
        return;
    }
    if (ClassStore::breaksFormat(className)) {
        tell(kBreaksFormatPrefix + className + kBreaksFormatSuffix, MessageIcon::Error);
        return;
    }
    const RosterCheck roster =
        ClassStore::checkRoster(fields.roster, ClassStore::separatorFor(fields.separator));
    if (roster.problem == NameProblem::TooLong) {
        tell(kNameTooLong, MessageIcon::Error);
        return;
    }
    if (roster.problem == NameProblem::BreaksFormat) {
        tell(kBreaksFormatPrefix + roster.offendingName + kBreaksFormatSuffix, MessageIcon::Error);
        return;
    }
    GradeClass grade{className, splitText(roster.joined, ",")};
    std::erase(grade.names, Text());
    // Two students of one name are both kept; the operator is told who they are.
    std::map<Text, int> seen;
    for (const Text& name : grade.names) {
        ++seen[name];
    }
    int same = 0;
    Text sameNames;
    for (const auto& [name, count] : seen) {
        if (count > 1) {
            same += count;
            sameNames += (sameNames.empty() ? Text() : kListComma) + name;
        }
    }
    Text question = kConfirmHeading + Text(kLineBreak) + kConfirmClass + className +
                    Text(kLineBreak) + kConfirmCount +
                    toText(static_cast<std::int64_t>(grade.names.size()));
    if (same > 0) {
        question +=
            Text(kLineBreak) + kSameNames1 + toText(same) + kSameNames2 + sameNames + kSameNames3;
    }
    if (dialogs_.message(question, MessageButtons::OkCancel, MessageIcon::None, view_.owner()) !=
        kOk) {
        return;
    }
    const std::vector<GradeClass> stored = roster_.classes();
    if (std::any_of(stored.begin(), stored.end(),
                    [&](const GradeClass& g) { return g.name == className; }) &&
        dialogs_.message(kOverwritePrefix + className + kOverwriteSuffix, MessageButtons::YesNo,
                         MessageIcon::None, view_.owner()) != kYes) {
        return;
    }
    beforeSave();
    if (!roster_.save(grade)) {
        tell(kSaveFailed, MessageIcon::Error);
        return;
    }
    refreshClasses();
    tell(kSaved);
}

void RoomArrangement::chooseClass() {
    const int chosen = view_.fields().chosenClass;
    const std::vector<GradeClass> stored = roster_.classes();
    if (chosen < 1 || chosen > static_cast<int>(stored.size())) {
        return;
    }
    const GradeClass& grade = stored[chosen - 1];
    Text separator = ClassStore::separatorFor(view_.fields().separator);
    if (separator.empty()) {
        separator = ",";
    }
    Text joined;
    for (const Text& name : grade.names) {
        joined += (joined.empty() ? "" : separator) + name;
    }
    view_.setClassName(grade.name);
    view_.setRoster(joined);
}

void RoomArrangement::deleteClass() {
    const ArrangementFields fields = view_.fields();
    const std::vector<GradeClass> stored = roster_.classes();
    if (fields.chosenClass < 1) {
        tell(kChooseFirst);
        return;
    }
    if (fields.chosenClass > static_cast<int>(stored.size())) {
        refreshClasses();
        tell(kClassGone);
        return;
    }
    const Text name = stored[fields.chosenClass - 1].name;
    if (dialogs_.message(kDeletePrefix + name + kDeleteSuffix, MessageButtons::YesNo,
                         MessageIcon::None, view_.owner()) != kYes) {
        return;
    }
    if (!roster_.remove(name)) {
        tell(kDeleteFailed, MessageIcon::Error);
    }
    refreshClasses();
}

void RoomArrangement::listRooms() {
    const ArrangementFields fields = view_.fields();
    const std::int64_t count = toInteger(fields.batchCount);
    const std::int64_t rows = toInteger(fields.batchRows);
    const std::int64_t columns = toInteger(fields.batchColumns);
    if (count < 1 || count > 999 || rows < 1 || rows > 99 || columns < 1 || columns > 99) {
        tell(kBatchRange);
        return;
    }
    const int digits = count > 99 ? 3 : 2;
    Text lines;
    for (int room = 1; room <= count; ++room) {
        RoomSpec made{kRoomNamePrefix + twoOrMore(room, digits) + kRoomNameSuffix,
                      static_cast<int>(rows),
                      static_cast<int>(columns),
                      fields.batchSpacing,
                      {}};
        lines += (room == 1 ? "" : Text(kLineBreak)) + made.line();
    }
    view_.setRooms(lines);
}

void RoomArrangement::arrange() {
    arrangeWith(DrawCode::freshSeed(), false);
}

void RoomArrangement::arrangeFromCode() {
    const std::optional<std::uint64_t> seed = DrawCode::parse(view_.fields().typedCode);
    if (!seed) {
        tell(kBadCode, MessageIcon::Error);
        return;
    }
    arrangeWith(*seed, false);
}

bool RoomArrangement::arrangeWith(std::uint64_t seed, bool quiet) {
    const ArrangementFields fields = view_.fields();
    const auto problem = [&](const Text& text, MessageIcon icon = MessageIcon::None) {
        if (!quiet) {
            tell(text, icon);
        }
        return false;
    };
    // Room names and the prefix are printed and stored as GBK: a character it lacks would
    // become "?" on every page.
    if (fields.arrangeLost) {
        return problem(nonGbkSaveMessage(*fields.arrangeLost), MessageIcon::Error);
    }
    ArrangementRequest request;
    std::vector<Text> lines;
    int lineNumber = 0;
    for (const Text& line : splitText(fields.rooms, kLineBreak)) {
        ++lineNumber;
        if (line.find_first_not_of(" \t") == Text::npos) {
            continue;
        }
        Text why;
        const std::optional<RoomSpec> room = RoomSpec::parse(line, why);
        if (!room) {
            return problem(kRoomLinePrefix + toText(lineNumber) + kRoomLineMiddle + why);
        }
        request.rooms.push_back(*room);
        lines.push_back(line);
    }
    const auto digits = [](const Text& text) {
        return !text.empty() &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(fields.roomDigits) || !digits(fields.seatDigits)) {
        return problem(kDigitsNotNumbers);
    }
    request.format = {fields.prefix,
                      static_cast<int>(std::min<std::int64_t>(toInteger(fields.roomDigits), 99)),
                      static_cast<int>(std::min<std::int64_t>(toInteger(fields.seatDigits), 99))};
    request.order = fields.order;
    request.mixed = fields.mixed;
    request.exam = fields.exam;
    request.classes = roster_.classes();
    const ArrangementOutcome outcome = RoomPlan::arrange(request, seed);
    if (!outcome.arrangement) {
        return problem(outcome.problem);
    }
    request_ = std::move(request);
    arrangement_ = outcome.arrangement;
    code_ = DrawCode::format(seed);
    fingerprint_ = RoomPlan::fingerprint(request_.classes);

    SeatTable summary(static_cast<int>(request_.rooms.size()) + 1, 8);
    const std::vector<Text> heading = {kSummaryRoom, kSummarySize, kSummarySeats,   kSummaryCount,
                                       kSummaryFrom, kSummaryTo,   kSummaryClasses, kSummaryPairs};
    for (int j = 0; j < 8; ++j) {
        summary.setCell(0, j, heading[j]);
    }
    for (const RoomResult& result : arrangement_->rooms) {
        const RoomSpec& room = request_.rooms[result.room];
        const int r = result.room + 1;
        summary.setCell(r, 0, room.name);
        summary.setCell(r, 1, toText(room.rows) + kTimes + toText(room.columns));
        summary.setCell(r, 2, toText(static_cast<std::int64_t>(room.seats().size())));
        summary.setCell(r, 3, toText(static_cast<std::int64_t>(result.seated.size())));
        if (!result.seated.empty()) {
            summary.setCell(r, 4, result.seated.front().examNumber);
            summary.setCell(r, 5, result.seated.back().examNumber);
        }
        std::vector<int> classes;
        for (const SeatedCandidate& s : result.seated) {
            classes.push_back(s.classIndex);
        }
        std::sort(classes.begin(), classes.end());
        classes.erase(std::unique(classes.begin(), classes.end()), classes.end());
        summary.setCell(r, 6, toText(static_cast<std::int64_t>(classes.size())));
        summary.setCell(r, 7, toText(RoomPlan::sameClassPairs(result.seated)));
    }
    view_.showSummary(summary);
    const ArrangementSettings stored = ArrangementSettings::load(configFile_);
    Text note = toText(static_cast<std::int64_t>(request_.rooms.size())) + kNoteRooms +
                toText(arrangement_->candidates) + kNotePeople;
    if (quiet && !stored.fingerprint.empty() && stored.fingerprint != fingerprint_) {
        note += "  " + kRosterChanged;
    }
    view_.setDrawInfo(code_, fingerprint_, note);
    view_.setOutputsEnabled(true);
    if (quiet) {
        return true;
    }
    ArrangementSettings settings;
    settings.code = code_;
    settings.fingerprint = fingerprint_;
    settings.order = request_.order;
    settings.mixed = request_.mixed;
    settings.format = request_.format;
    settings.exam = request_.exam;
    settings.rooms = lines;
    beforeSave();
    if (!settings.save(configFile_)) {
        tell(kNotKept, MessageIcon::Error);
    }
    if (request_.mixed && arrangement_->sameClassPairs > 0) {
        tell(kPairs1 + toText(arrangement_->sameClassPairs) + kPairs2);
    }
    return true;
}

ArrangementDocument RoomArrangement::document() const {
    if (!arrangement_) {
        return {};
    }
    return ArrangementDocument::of(request_, *arrangement_, code_, fingerprint_, clock_.now());
}

std::optional<Text> RoomArrangement::savePath(const Text& filter, const Text& extension,
                                              const Text& what) {
    if (!arrangement_) {
        tell(kArrangeFirst);
        return std::nullopt;
    }
    const LocalTime date = clock_.now();
    const Text name = toText(date.year) + twoOrMore(date.month, 2) + twoOrMore(date.day, 2) + "_" +
                      request_.exam + what + extension;
    const std::optional<Text> path = dialogs_.saveFile(filter, Text(), name, view_.owner());
    if (!path) {
        return std::nullopt;
    }
    return withExtension(*path, extension);
}

void RoomArrangement::exportPdf() {
    if (const std::optional<Text> path = savePath(kPdfFilter, ".pdf", kRoomsPdf)) {
        if (!output_.writeRoomsPdf(document(), *path)) {
            tell(kWriteFailed, MessageIcon::Error);
        }
    }
}

void RoomArrangement::exportLabels() {
    if (const std::optional<Text> path = savePath(kPdfFilter, ".pdf", kLabelsPdf)) {
        if (!output_.writeLabelsPdf(document(), *path, kLabelColumns, kLabelRows)) {
            tell(kWriteFailed, MessageIcon::Error);
        }
    }
}

void RoomArrangement::exportWorkbook() {
    if (const std::optional<Text> path = savePath(kWorkbookFilter, ".xlsx", kWorkbookName)) {
        if (!saveArrangementWorkbook(nativePath(*path), document())) {
            tell(kWriteFailed, MessageIcon::Error);
        }
    }
}

}  // namespace exambell
