#pragma once
// The exam and cue settings in config.ini beside the program, and the operations that copy them
// between the file and the main window's rows (SettingsForm: the controls are the data; the file
// mirrors them). Sections exam_1..exam_4 (subject, start_time, long_time, use_is) and
// music_1..music_7 (src, use_is); every key is read or written on its own through ProfileStore.
//
// savedFlag: true after a save that wrote everything and left the file present; false after
// start-up (the start-up handler clears it) and after a failed save. The run control asks for
// confirmation while it is false.

#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace exambell {

class Dialogs;
class SettingsForm;

// The settings file beside the program; an imported file must bear this name too.
inline constexpr std::string_view kConfigFileName = "config.ini";

// Said instead of saving when there is no folder to keep config.ini in (an installed program run
// without any home folder).
const Text& noSettingsFolderMessage();

// End of an exam as "HH:MM" from its start hour and minute and its duration in minutes, wrapped
// into the day once: 09:00 + 120 gives "11:00", 23:30 + 90 gives "01:00".
Text computeEndTime(std::int64_t hour, std::int64_t minute, std::int64_t duration);
// What an exam's end-time label shows: "结束时间为 " and computeEndTime.
Text endTimeCaption(std::int64_t hour, std::int64_t minute, std::int64_t duration);

class SettingsFile {
  public:
    // settingsDir: the folder of config.ini; empty when there is none (nothing is read, every
    // save is refused with noSettingsFolderMessage()).
    SettingsFile(SettingsForm& form, Dialogs& dialogs, const Text& settingsDir);

    // settingsDir + separator + "config.ini"; empty without a settings folder.
    const Text& configPath() const { return configPath_; }

    // Readies the file before start-up reads it: removes the temporary file a killed save left,
    // and when the settings folder has no config.ini but preparedDir (a read-only program folder,
    // or empty) has one, copies that in as the starting settings.
    void prepareFile(const Text& preparedDir);

    // Fills the exam and cue controls from the file: only a use_is of exactly "1" checks a
    // box (none is ever cleared); texts are copied as they are, missing keys give the defaults.
    void loadSettings();
    // True when every enabled cue names an existing file; else shows the cue's message, moves
    // the focus to its path box and returns false.
    bool checkCueFiles();
    // checkCueFiles, then (when it passes) src and use_is of all seven cues.
    void saveCueSettings();
    // Checks exams 1..4 in order, shows each end time and writes each exam; stops at the first
    // failed check (format of the start, empty subject, empty duration).
    void saveExamSettings();
    // The range check and the four keys of one exam (number "1".."4").
    void writeExam(const Text& subject, const Text& number, const Text& hourText,
                   const Text& minuteText, const Text& durationText);
    // The save: cue check, cues, exams, then "保存成功" or "保存失败" (without a settings folder
    // only noSettingsFolderMessage()).
    void saveSettings();

    bool savedFlag() const { return savedFlag_; }
    void setSavedFlag(bool saved) { savedFlag_ = saved; }

  private:
    Text read(const Text& section, const char* key, const Text& fallback) const;
    void write(const Text& section, const char* key, const Text& value);
    void tell(const Text& message);

    SettingsForm& form_;
    Dialogs& dialogs_;
    Text configPath_;
    bool savedFlag_ = false;
    // Set by any write the file refused since the current save began.
    bool writeRefused_ = false;
};

}  // namespace exambell
