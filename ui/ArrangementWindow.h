#pragma once
// The exam-room arrangement window (考场编排, 960 x 600), opened from the seating-chart window:
// the grade's rosters (年级名单), the rooms (考场), the arrangement's order, mixing and exam
// numbers (编排), the rooms of the arrangement drawn, and the three outputs. Each widget's
// objectName() is its design name. The seating window owns it; it is not modal.

#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/Grid.h"
#include "ui/TransparentLabel.h"
#include "ui/Window.h"

namespace exambell {

class ArrangementWindow : public Window {
  public:
    explicit ArrangementWindow(QWidget* owner);

    // 年级名单分组框 "年级名单".
    EditBox* classNameEdit = nullptr;  // 年级班级编辑框
    ComboBox* separatorBox = nullptr;  // 年级分隔符列表: ",", "，", "#", "换行", "自定义"
    EditBox* rosterEdit = nullptr;     // 年级名单编辑框: multi-line
    Button* importButton = nullptr;  // 导入年级班级按钮 "导入/修改班级"
    ComboBox* classList = nullptr;   // 年级班级列表: "高一1班（50人）", values 1..
    Button* deleteButton = nullptr;  // 删除年级班级按钮 "删除班级"

    // 考场分组框 "考场".
    EditBox* roomsEdit = nullptr;         // 考场列表编辑框: one room a line
    EditBox* batchCountEdit = nullptr;    // 批量考场数编辑 "30"
    EditBox* batchRowsEdit = nullptr;     // 批量排数编辑 "8"
    EditBox* batchColumnsEdit = nullptr;  // 批量列数编辑 "5"
    ComboBox* batchSpacingBox = nullptr;  // 批量留空列表: 不留空 / 隔列 / 隔座
    Button* batchButton = nullptr;        // 批量生成考场按钮 "批量生成"

    // 编排分组框 "编排".
    ComboBox* orderBox = nullptr;           // 编排顺序列表
    CheckBox* mixedBox = nullptr;           // 同班不相邻复选框 "同班不相邻", checked
    EditBox* prefixEdit = nullptr;          // 编排考号前缀编辑框
    EditBox* roomDigitsEdit = nullptr;      // 考场位数编辑 "2"
    EditBox* seatDigitsEdit = nullptr;      // 座号位数编辑 "2"
    EditBox* examEdit = nullptr;            // 编排考试编辑框
    Button* arrangeButton = nullptr;        // 开始编排按钮 "开始编排"
    EditBox* codeEdit = nullptr;            // 编排抽签码编辑
    Button* reproduceButton = nullptr;      // 按码编排按钮 "按码重现"
    TransparentLabel* codeLabel = nullptr;  // 编排抽签码标签 "抽签码：..."
    TransparentLabel* fingerprintLabel = nullptr;  // 编排指纹标签 "名单指纹：..."
    TransparentLabel* noteLabel = nullptr;         // 编排说明标签: rooms and candidates

    Grid* summary = nullptr;  // 编排结果表格: one row per room

    Button* pdfButton = nullptr;  // 导出考场PDF按钮 "导出考场PDF", disabled until a draw
    Button* labelsButton = nullptr;    // 导出桌贴按钮 "导出桌贴", disabled until a draw
    Button* workbookButton = nullptr;  // 导出编排Excel按钮 "导出Excel", disabled until a draw

    static constexpr int kWidth = 960;
    static constexpr int kHeight = 600;
};

}  // namespace exambell
