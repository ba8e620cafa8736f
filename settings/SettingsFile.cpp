#include "settings/SettingsFile.h"

#include <array>

#include "platform/Dialogs.h"
#include "settings/FileCopy.h"
#include "settings/ProfileStore.h"
#include "settings/SettingsForm.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

constexpr const char* kExamSection = "exam_";
constexpr const char* kCueSection = "music_";
constexpr const char* kSubjectKey = "subject";
constexpr const char* kStartKey = "start_time";
constexpr const char* kDurationKey = "long_time";
constexpr const char* kEnabledKey = "use_is";
constexpr const char* kPathKey = "src";
constexpr const char* kEnabled = "1";
constexpr const char* kDisabled = "0";

// Read defaults of the exam and cue keys.
const std::array<Text, kExamCount + 1> kSubjectDefaults = {
    "", utf8ToGbk("数学"), utf8ToGbk("英语"), utf8ToGbk("网页设计"), utf8ToGbk("自习")};
const std::array<Text, kExamCount + 1> kStartDefaults = {"", "09:00", "15:00", "09:00", "15:00"};
const Text kDurationDefault = utf8ToGbk("120分钟");
const Text kPathDefault = utf8ToGbk("音频文件路径src://");

// Messages.
const Text kCueFileMissing = utf8ToGbk(" 的音频文件路径不存在");  // after the cue's caption
const Text kStartFormatWrong = utf8ToGbk("的开考时间格式错误");   // after the subject
const Text kSubjectEmpty = utf8ToGbk("科目不能为空");
const Text kDurationEmpty = utf8ToGbk("的考试时长不能为空");  // after the subject
const Text kTimeWrong = utf8ToGbk("的时间设置有错误");        // after the subject
const Text kEndPrefix = utf8ToGbk("结束时间为 ");
const Text kSaved = utf8ToGbk("保存成功");
const Text kSaveFailed = utf8ToGbk("保存失败");

const Text kNoSettingsFolder = utf8ToGbk("设置无法保存：找不到用户的主文件夹（HOME 未设置）");

Text section(const char* prefix, int n) {
    return prefix + toText(n);
}

}  // namespace

Text computeEndTime(std::int64_t hour, std::int64_t minute, std::int64_t duration) {
    std::int64_t t = hour * 60 + minute + duration;
    if (t - 1440 >= 0) {  // whole minutes: "within 0.0000001 of 1440 or above"
        t -= 1440;
    }
    if (t < 0) {
        t += 1440;
    }
    return twoDigits(t / 60) + ":" + twoDigits(t % 60);
}

Text endTimeCaption(std::int64_t hour, std::int64_t minute, std::int64_t duration) {
    return kEndPrefix + computeEndTime(hour, minute, duration);
}

const Text& noSettingsFolderMessage() {
    return kNoSettingsFolder;
}

SettingsFile::SettingsFile(SettingsForm& form, Dialogs& dialogs, const Text& settingsDir)
    : form_(form),
      dialogs_(dialogs),
      configPath_(settingsDir.empty() ? Text() : joinPath(settingsDir, kConfigFileName)) {}

void SettingsFile::prepareFile(const Text& preparedDir) {
    if (configPath_.empty()) {
        return;
    }
    // Whatever the killed save had written is not the file: the file is the old one, whole.
    removeLeftoverTemporary(nativePath(configPath_));
    if (preparedDir.empty() || fileExists(configPath_)) {
        return;
    }
    const Text prepared = joinPath(preparedDir, kConfigFileName);
    if (fileExists(prepared)) {
        // A failed copy leaves the first-run defaults, and the save reports its own failure.
        copyFileOver(prepared, configPath_);
    }
}

Text SettingsFile::read(const Text& sectionName, const char* key, const Text& fallback) const {
    return ProfileStore::read(configPath_, sectionName, key, fallback);
}

void SettingsFile::write(const Text& sectionName, const char* key, const Text& value) {
    if (!ProfileStore::write(configPath_, sectionName, key, value)) {
        writeRefused_ = true;
    }
}

void SettingsFile::tell(const Text& message) {
    dialogs_.message(message, MessageButtons::Ok, MessageIcon::None, form_.dialogOwner());
}

void SettingsFile::loadSettings() {
    ExamSettings exams = form_.exams();
    for (int n = 1; n <= kExamCount; ++n) {
        ExamSetting& exam = exams[static_cast<std::size_t>(n - 1)];
        const Text name = section(kExamSection, n);
        if (read(name, kEnabledKey, kDisabled) == kEnabled) {
            exam.enabled = true;
        }
        exam.subject = read(name, kSubjectKey, kSubjectDefaults[static_cast<std::size_t>(n)]);
        exam.start = read(name, kStartKey, kStartDefaults[static_cast<std::size_t>(n)]);
        exam.duration = read(name, kDurationKey, kDurationDefault);
    }
    CueSettings cues = form_.cues();
    for (int n = 1; n <= kCueCount; ++n) {
        CueSetting& cue = cues[static_cast<std::size_t>(n - 1)];
        const Text name = section(kCueSection, n);
        if (read(name, kEnabledKey, kDisabled) == kEnabled) {
            cue.enabled = true;
        }
        cue.path = read(name, kPathKey, kPathDefault);
    }
    form_.setExams(exams);
    form_.setCues(cues);
}

bool SettingsFile::checkCueFiles() {
    const CueSettings cues = form_.cues();
    for (int n = 1; n <= kCueCount; ++n) {
        const CueSetting& cue = cues[static_cast<std::size_t>(n - 1)];
        if (cue.enabled && !fileExists(cue.path)) {
            tell(cueCaption(n) + kCueFileMissing);
            form_.focusCuePath(n);
            return false;
        }
    }
    return true;
}

void SettingsFile::saveCueSettings() {
    if (!checkCueFiles()) {
        return;
    }
    const CueSettings cues = form_.cues();
    for (int n = 1; n <= kCueCount; ++n) {
        write(section(kCueSection, n), kPathKey, cues[static_cast<std::size_t>(n - 1)].path);
    }
    for (int n = 1; n <= kCueCount; ++n) {
        write(section(kCueSection, n), kEnabledKey,
              cues[static_cast<std::size_t>(n - 1)].enabled ? kEnabled : kDisabled);
    }
}

void SettingsFile::saveExamSettings() {
    for (int n = 1; n <= kExamCount; ++n) {
        // Read row by row: a message box shown for one row lets the operator's events run.
        const ExamSetting exam = form_.exams()[static_cast<std::size_t>(n - 1)];
        const Text& subject = exam.subject;
        const Text& start = exam.start;
        const Text& duration = exam.duration;
        const std::vector<Text> parts = splitText(start, ":");
        // A start ending in its only ":" has no minute part: refused like a start without ":".
        if (findText(start, ":") < 0 || parts.size() < 2) {
            tell(subject + kStartFormatWrong);
            form_.focusExamField(n, ExamField::Start);
            return;
        }
        if (subject.empty()) {
            tell(kSubjectEmpty);
            form_.focusExamField(n, ExamField::Subject);
            return;
        }
        if (duration.empty()) {
            tell(subject + kDurationEmpty);
            form_.focusExamField(n, ExamField::Duration);
            return;
        }
        form_.setExamEnd(n, kEndPrefix + computeEndTime(toInteger(parts[0]), toInteger(parts[1]),
                                                        toInteger(duration)));
        writeExam(subject, toText(n), parts[0], parts[1], duration);
    }
}

void SettingsFile::writeExam(const Text& subject, const Text& number, const Text& hourText,
                             const Text& minuteText, const Text& durationText) {
    if (toInteger(hourText) > 23 || toInteger(minuteText) > 59) {
        tell(subject + kTimeWrong);
        return;
    }
    const Text name = kExamSection + number;
    write(name, kSubjectKey, subject);
    write(name, kStartKey, twoDigits(hourText) + ":" + twoDigits(minuteText));
    write(name, kDurationKey, durationText);
    const int n = static_cast<int>(toInteger(number));
    const bool enabled =
        n >= 1 && n <= kExamCount && form_.exams()[static_cast<std::size_t>(n - 1)].enabled;
    write(name, kEnabledKey, enabled ? kEnabled : kDisabled);
}

void SettingsFile::saveSettings() {
    if (configPath_.empty()) {
        savedFlag_ = false;
        tell(kNoSettingsFolder);
        return;
    }
    if (!checkCueFiles()) {
        return;
    }
    writeRefused_ = false;
    saveCueSettings();
    saveExamSettings();
    // A file that refused a write holds stale settings: that is no successful save.
    savedFlag_ = fileExists(configPath_) && !writeRefused_;
    tell(savedFlag_ ? kSaved : kSaveFailed);
}

}  // namespace exambell
