#include "settings/SettingsMaintenance.h"

#include "platform/Dialogs.h"
#include "settings/FileCopy.h"
#include "settings/ImportView.h"
#include "settings/SettingsFile.h"
#include "text/Encoding.h"
#include "text/Paths.h"

namespace exambell {
namespace {

const Text kSaveDuringRun = utf8ToGbk("保存后程序会暂停运行，是否继续保存");
const Text kWrongFile = utf8ToGbk("选择的配置文件错误\r\n请上传 config.ini");
const Text kImported = utf8ToGbk("设置成功，即将返回主窗口");
const Text kImportFailed = utf8ToGbk("设置失败，请以管理员身份运行本程序");
const Text kResetDone = utf8ToGbk("已重置");
const Text kResetFailed = utf8ToGbk("重置错误，请以管理员身份运行本程序");
const Text kImportFilter = utf8ToGbk("配置文件(*.ini)|*.ini");

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

}  // namespace

bool checkImportName(std::string_view fullName) {
    // GBK trail bytes are 0x40 and above, so a separator byte is always a separator.
    std::size_t cut = std::string_view::npos;
    for (std::size_t i = 0; i < fullName.size(); ++i) {
        if (isSeparator(fullName[i])) {
            cut = i;
        }
    }
    if (cut == std::string_view::npos) {
        return false;
    }
    return fullName.substr(cut + 1) == kConfigFileName;
}

void saveWithPause(Dialogs& dialogs, const RunHooks& run,
                   const std::function<void()>& saveSettings) {
    if (!run.isRunning()) {
        saveSettings();
        return;
    }
    if (dialogs.message(kSaveDuringRun, MessageButtons::OkCancel, MessageIcon::None, nullptr) !=
        kOk) {
        return;
    }
    saveSettings();
    run.pauseRun();
}

ImportSettings::ImportSettings(ImportView& window, Dialogs& dialogs, Text startFolder,
                               Text configPath, std::function<void()> startUp)
    : window_(window),
      dialogs_(dialogs),
      startFolder_(std::move(startFolder)),
      configPath_(std::move(configPath)),
      startUp_(std::move(startUp)) {
    prepareImportWindow();
}

void ImportSettings::prepareImportWindow() {
    window_.fileDialog().setInitialFolder(startFolder_);
    window_.fileDialog().setFilter(kImportFilter);
}

void ImportSettings::chooseImportFile() {
    FileDialog& dialog = window_.fileDialog();
    if (!dialog.openFile(dialogs_)) {
        return;
    }
    if (dialog.fileName().empty()) {
        return;
    }
    window_.setPath(dialog.fileName());
    importIfNamed();
}

void ImportSettings::takeDroppedFile(const Text& names) {
    window_.setPath(names);
    importIfNamed();
}

void ImportSettings::importIfNamed() {
    if (checkImportName(window_.path())) {
        applyImport();
    } else {
        tell(kWrongFile);
    }
}

void ImportSettings::applyImport() {
    if (configPath_.empty()) {
        tell(noSettingsFolderMessage());
        return;
    }
    // The copy replaces config.ini only once the new file is complete, so a failure here leaves
    // the old settings whole; a read-only config.ini is refused like the save refuses it.
    if (!copyFileOver(window_.path(), configPath_)) {
        tell(kImportFailed);
        return;
    }
    tell(kImported);
    startUp_();
    window_.close();
}

void ImportSettings::factoryReset() {
    if (configPath_.empty()) {
        tell(noSettingsFolderMessage());
        return;
    }
    // A read-only config.ini is refused like the save refuses it.
    if (!removeFile(configPath_)) {
        tell(kResetFailed);
        return;
    }
    tell(kResetDone);
    startUp_();
}

void ImportSettings::tell(const Text& message) {
    dialogs_.message(message, MessageButtons::Ok, MessageIcon::None, window_.dialogOwner());
}

}  // namespace exambell
