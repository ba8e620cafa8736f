#pragma once
// What a screen reader calls each control that has no caption of its own, in words a person
// understands: "第1场考试科目", not the design name 科目1科目 (which stays the objectName() the
// program and its tests find the control by). A control with a caption keeps the caption as its
// name unless the caption alone is ambiguous (seven buttons say "选择"). A box with a caption
// beside it becomes that caption's buddy, as screen readers on Linux look for. Each window calls
// its function once its controls exist; a new control without a caption gets its name here.

namespace exambell {

class ArrangementWindow;
class DisplaySetupWindow;
class ImportWindow;
class MainWindow;
class PlanWindow;
class RoomStatusWindow;
class SeatingWindow;

void nameControls(MainWindow& window);
void nameControls(SeatingWindow& window);
void nameControls(ImportWindow& window);
void nameControls(DisplaySetupWindow& window);
void nameControls(PlanWindow& window);
void nameControls(ArrangementWindow& window);
void nameControls(RoomStatusWindow& window);

}  // namespace exambell
