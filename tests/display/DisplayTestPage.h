#pragma once
// Exams shared by the display tests: at 03:17 on the fake clock, 数学 (03:00, 120 minutes) runs.
#include <vector>

#include "display/DisplayState.h"
#include "text/Encoding.h"

namespace exambell {

inline std::vector<DisplayExam> testExams() {
    return {DisplayExam{utf8ToGbk("数学"), "03:00", 120, 0},
            DisplayExam{utf8ToGbk("英语"), "08:00", 90, 0}};
}

}  // namespace exambell
