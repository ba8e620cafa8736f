#pragma once
// A spreadsheet seam that records every call as a line of text.

#include <map>
#include <string>
#include <vector>

#include "seating/Spreadsheet.h"

namespace exambell::test {

class RecordingSpreadsheet : public Spreadsheet {
  public:
    bool startSucceeds = true;
    bool releaseSucceeds = true;
    std::vector<std::string> calls;      // "start", "newWorkbook", "selectSheet 1", ...
    std::map<std::string, Text> cells;   // address -> value of the last setRange on it
    std::vector<std::string> addresses;  // in the order written
    Text caption;

    bool start() override {
        calls.push_back("start");
        return startSucceeds;
    }
    void newWorkbook() override { calls.push_back("newWorkbook"); }
    void selectSheet(int number) override {
        calls.push_back("selectSheet " + std::to_string(number));
    }
    void setCaption(const Text& text) override {
        calls.push_back("setCaption");
        caption = text;
    }
    void setVisible() override { calls.push_back("setVisible"); }
    void setRange(const Text& from, const Text& to, const Text& value) override {
        if (calls.empty() || calls.back() != "setRange") {
            calls.push_back("setRange");
        }
        if (from != to) {
            calls.push_back("range " + from + ":" + to);
        }
        addresses.push_back(from);
        cells[from] = value;
    }
    bool release() override {
        calls.push_back("release");
        return releaseSucceeds;
    }
};

}  // namespace exambell::test
