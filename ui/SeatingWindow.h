#pragma once
// The seating-chart window of the design ("座位表生成", 928 x 531): the group 操作班级 (class,
// student count, rows x columns, generate, export), the group 导入班级 (class name, separator,
// roster text, import) and the seat grid below. Wrappers as in ui/MainWindow.h; each widget's
// objectName() is its design name. The main window owns it; it is not modal.

#include "text/Text.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/Grid.h"
#include "ui/TransparentLabel.h"
#include "ui/Window.h"

class QGroupBox;

namespace exambell {

class SeatingWindow : public Window {
  public:
    explicit SeatingWindow(QWidget* owner);

    // 分组框1 "操作班级".
    ComboBox* classBox =
        nullptr;  // 班级组合框: list only, sorted; "通用班级" (value 0), none chosen
    EditBox* countEdit = nullptr;      // 人数编辑: "42", digits only, up-down 1..999
    EditBox* rowsEdit = nullptr;       // 横排编辑: "8", digits only, up-down 1..99
    EditBox* columnsEdit = nullptr;    // 竖列编辑: "6", digits only, up-down 1..99
    Button* generateButton = nullptr;  // 生成座位按钮 "生成随机座位"
    Button* exportButton = nullptr;    // 导出Excel按钮 "导出Excel", disabled by the design

    // 分组框2 "导入班级".
    EditBox* classNameEdit = nullptr;  // 班级编辑框: "18软件5班"
    ComboBox* separatorBox =
        nullptr;  // 分割符列表: editable, sorted; ",", "，", "#", "换行", "自定义"
    Button* importButton = nullptr;  // 一键导入按钮 "一键导入/修改"
    EditBox* rosterEdit = nullptr;   // 人员编辑框: multi-line roster text (CR LF line breaks)

    Grid* grid = nullptr;  // 高级表格1

    // Below the grid, added to the design (the window grew downwards; nothing above moved).
    EditBox* codeEdit = nullptr;            // 抽签码编辑: a code to draw a chart again
    Button* reproduceButton = nullptr;      // 按码生成按钮 "按码重现"
    TransparentLabel* codeLabel = nullptr;  // 抽签码标签: "抽签码：" + the shown chart's code
    TransparentLabel* fingerprintLabel = nullptr;  // 名单指纹标签: "名单指纹：" + fingerprint
    Button* renameButton = nullptr;                // 改名班级按钮 "改名班级"
    Button* deleteButton = nullptr;                // 删除班级按钮 "删除班级"
    EditBox* roomEdit = nullptr;                   // 考场编辑框: the room on the printed chart
    EditBox* examEdit = nullptr;                   // 考试编辑框: the exam on the printed chart
    Button* pdfButton = nullptr;           // 导出PDF按钮 "导出PDF", disabled until a draw
    Button* printButton = nullptr;         // 打印按钮 "打印", disabled until a draw
    Button* saveWorkbookButton = nullptr;  // 另存Excel按钮 "另存Excel", disabled until a draw
    EditBox* mixedEdit = nullptr;          // 混排班级编辑框: stored classes for one room
    EditBox* numberPrefixEdit = nullptr;   // 考号前缀编辑框: the exam numbers' prefix
    ComboBox* numberingBox = nullptr;  // 考号顺序列表: 不编考号 / 按行编号 / 蛇形编号
    Button* roomsButton = nullptr;  // 考场编排按钮 "考场编排": opens the arrangement window

    static constexpr int kDesignHeight = 531;
    static constexpr int kHeight = 620;

    QGroupBox* classGroup = nullptr;   // 分组框1
    QGroupBox* importGroup = nullptr;  // 分组框2
};

}  // namespace exambell
