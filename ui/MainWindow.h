#pragma once
// The main window of the design, 932 x 531 (start-up narrows it to 456).
//
// The exam and cue settings have no store of their own: these controls ARE the data; the settings
// file, the save and the run read and write them as records through ui/MainWindowAdapter, which
// keeps no copy. Every control is a typed wrapper (ui/Control.h and friends) speaking GBK Text;
// its widget's objectName() is its design name (科目1时间, 提醒路径7, 开始运行按钮, ...), and
// caption-less controls get a name a person understands (ui/AccessibleNames.h). Events are the
// wrappers' Qt signals (clicked, focusLost, contentChanged, ...); app/MainWindowBinder connects
// them to the operations.
//
// Numbered controls sit in 1-BASED arrays, index = the number in the design name; slot 0 is
// unused (nullptr): examStart[2] is 科目2时间, cuePath[7] is 提醒路径7.
//   for (int n = 1; n <= kExamCount; ++n) ... main.examStart[n]->text() ...
//
// Left column (456 px): the exam group, the cue group, the row of five buttons, the run button
// and the clock label. Right part (x 455..917): the reminder list, outside the window while it
// is narrow. The check box 打赏作者 and the picture box 图片框1 lie over the left column.
//
// The one-second tick (时钟1) is not a control here: it runs from the Clock seam.

#include <array>

#include "platform/FileDialog.h"
#include "settings/ExamSettings.h"
#include "text/Text.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/ImageButton.h"
#include "ui/NoticePanel.h"
#include "ui/PictureBox.h"
#include "ui/ReportList.h"
#include "ui/SpinBox.h"
#include "ui/TransparentLabel.h"
#include "ui/Window.h"

class QGroupBox;

namespace exambell {

class MainWindow : public Window {
  public:
    // Widths of the window: idle (and at start-up) and while a run is active.
    static constexpr int kNarrowWidth = 456;
    static constexpr int kWideWidth = 932;
    static constexpr int kDesignHeight = 531;

    explicit MainWindow(QWidget* owner = nullptr);

    // Exam N = 1..4 (group 分组框1 "考试科目").
    std::array<CheckBox*, kExamCount + 1> examEnabled{};  // 科目N: caption-less check box
    std::array<EditBox*, kExamCount + 1> examSubject{};   // 科目N科目: subject, 5 typed bytes
    std::array<EditBox*, kExamCount + 1> examStart{};  // 科目N时间: start HH:MM, 5 typed bytes
    std::array<EditBox*, kExamCount + 1> examDuration{};  // 科目N时长: "120分钟", digits typed
    std::array<TransparentLabel*, kExamCount + 1> examEnd{};  // 科目N结束: end-time label

    // Cue N = 1..7 (group 分组框2 "提醒时段").
    std::array<CheckBox*, kCueCount + 1> cueEnabled{};  // 提醒N: push-button look, caption = cue
    std::array<EditBox*, kCueCount + 1> cuePath{};      // 提醒路径N: audio file path
    std::array<Button*, kCueCount + 1> cueChoose{};     // 修改N "选择"
    std::array<Button*, kCueCount + 1> cueTest{};       // 试听N "试听"
    FileDialog fileDialog;  // 通用对话框1, shared by the seven 选择

    Button* saveButton = nullptr;      // 保存设置按钮 "保存设置"
    Button* importButton = nullptr;    // 导出设置按钮 "导入配置"
    Button* stopButton = nullptr;      // 停止播放按钮 "停止正在播放的音频"
    Button* downloadButton = nullptr;  // 下载语音按钮 "下载语音"
    Button* seatingButton = nullptr;   // 座位表生成按钮 "座位表生成"
    // 考场时钟按钮 "考场时钟": opens the exam-room clock. Not of the original design: it sits in
    // the corner right of the clock label, where no control of the design ever lies.
    Button* displayButton = nullptr;
    // 考试安排按钮 "考试安排": opens the plan window. Not of the original design: right of the
    // clock label above 考场时钟按钮, where no control of the design lies.
    Button* planButton = nullptr;
    // 安排提示标签: which plan's day the exam rows were filled from (or that the day has none).
    // Not of the design: left of the idle run button, where the clock label never reaches; it
    // is hidden while a run is active, when the run button rests there.
    TransparentLabel* planNotice = nullptr;

    ImageButton* runButton = nullptr;        // 开始运行按钮: toggle, 64 x 64, idle left 192
    TransparentLabel* clockLabel = nullptr;  // 当前时间标签: bold 32 px, hidden by the design
    // 状态标签: not of the design; one line under the run button that names what keeps cues from
    // sounding or the computer from staying awake (no audio device, no sleep inhibitor). Empty
    // when all is well.
    TransparentLabel* statusLabel = nullptr;
    TransparentLabel* reminderHeading = nullptr;  // 透明标签5 "提醒列表"
    ReportList* reminderList = nullptr;  // 超级列表框1: 序号, 考试科目, 播放时间, 备注, 铃声

    CheckBox* tipAuthor = nullptr;  // 打赏作者: push-button look
    PictureBox* picture = nullptr;  // 图片框1: hidden by the design

    // How the run goes, added where they move none of the design's controls. The reminder list
    // gets a sixth column, 状态, for each row's mark.
    TransparentLabel* countdownLabel = nullptr;  // 倒计时标签: under the clock, while running
    NoticePanel* missNotice = nullptr;  // 播放提示框: over the foot of the list until dismissed
    TransparentLabel* editNote = nullptr;  // 修改提示标签: under the list, while edits wait
    // Moving one exam of the run (a late start), in the heading row of the list.
    ComboBox* shiftExam = nullptr;          // 平移考试框: the exams of the run
    SpinBox* shiftMinutes = nullptr;        // 平移分钟框: minutes, -720 .. 720, with arrows
    TransparentLabel* shiftUnit = nullptr;  // 平移单位标签 "分钟"
    Button* shiftButton = nullptr;          // 平移按钮 "平移考试"

    QGroupBox* examGroup = nullptr;  // 分组框1
    QGroupBox* cueGroup = nullptr;   // 分组框2

    // The run button's idle and running left edges.
    static constexpr int kRunButtonIdleLeft = 192;
    static constexpr int kRunButtonRunningLeft = 18;
};

}  // namespace exambell
