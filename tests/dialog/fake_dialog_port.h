// A dialog port that records what the dialog asks of the platform, one line
// of text per call, and answers from scripted values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "dialog/lvx_p.h"

namespace lvx::testing {

class FakeDialogPort : public dialog::DialogPort {
public:
    std::vector<std::string> calls;
    bool cursorFound = true;
    int32_t cursorX = 800, cursorY = 600;
    std::optional<int32_t> colourAnswer;             // nothing: the user cancels
    std::array<int32_t, 16> customSeen{};
    std::optional<dialog::ChosenFile> fileAnswer;    // nothing: the user cancels
    std::string comboText;
    bool closeDuringDoEvents = false;
    bool unloaded = false;

    bool CursorPosition(int32_t& x, int32_t& y) override {
        calls.push_back("cursor");
        x = cursorX;
        y = cursorY;
        return cursorFound;
    }
    void ZoomOpen() override { calls.push_back("zoom open"); }
    int32_t SysColor(int32_t index) override { return 0x10000 * index + 7; }
    bool ChooseColour(const std::array<int32_t, 16>& custom, int32_t& chosen) override {
        calls.push_back("choose colour");
        customSeen = custom;
        if (colourAnswer) chosen = *colourAnswer;
        return colourAnswer.has_value();
    }
    std::optional<dialog::ChosenFile> ChooseMusicFile() override {
        calls.push_back("choose file");
        return fileAnswer;
    }
    std::string BgmRepeatText() override { return comboText; }
    void ShowMessage(std::string_view text) override { calls.push_back("message " + std::string(text)); }
    void DoEvents() override {
        calls.push_back("do events");
        if (closeDuringDoEvents) Unload();
    }
    void SetBusyPointer(bool busy) override { calls.push_back(busy ? "busy" : "default pointer"); }
    void OpenWebPage(std::string_view address) override { calls.push_back("open " + std::string(address)); }
    void Unload() override {
        calls.push_back("unload");
        unloaded = true;
    }
    bool IsUnloaded() override { return unloaded; }
    std::optional<dialog::Box> workArea;  // nothing: the platform knows no monitor
    std::optional<dialog::Box> WorkArea() override { return workArea; }
    void MoveWindow(const dialog::Box& outer) override {
        calls.push_back("move " + std::to_string(outer.x) + " " + std::to_string(outer.y) + " " +
                        std::to_string(outer.w) + " " + std::to_string(outer.h));
    }
};

}  // namespace lvx::testing
