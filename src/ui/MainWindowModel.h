#pragma once

#include "model/DataSet.h"
#include "model/DataSetDisplay.h"
#include "ui/DigitisingModel.h"
#include "ui/PlatformServices.h"

#include <functional>
#include <string>

namespace korvex {

// The logic of the main window, free of any window toolkit: start-up, the
// sheet commands and the menu arrays. The window displays the digitising
// model and the data-set display, and forwards every event here.
class MainWindowModel {
public:
    static constexpr const char* kTitle = "KORVEX 1.0";
    static constexpr const char* kAppTitle = "KORVEX";
    static constexpr float kTwipsPerPixel = 15.0F; // 1440 twips per inch at 96 logical dpi

    // Where the seam scheme stands before a photograph is opened, and its size.
    static constexpr float kSchemeLeft = 660.0F;
    static constexpr float kSchemeTop = 360.0F;
    static constexpr float kSchemeWidth = 8775.0F;
    static constexpr float kSchemeHeight = 9105.0F;

    static constexpr const char* kCodePrompt = "Tortoise Identification Code:";
    static constexpr const char* kCodeTitle = "IDN";
    static constexpr const char* kClosePrompt = "Do you want to save the data?";
    static constexpr const char* kCloseTitle = "Program KORVEX";

    // Menu array indices.
    enum OpenIndex { OpenPictureEntry = 0, LoadDataEntry = 20, SaveDataEntry = 40, EndEntry = 50 };
    enum LoadIndex { LoadFromClipboard = 20, LoadFromFile = 30 };
    enum SaveIndex { SaveToClipboard = 30, SaveToFile = 40 };

    explicit MainWindowModel(PlatformServices& services);

    DigitisingModel& digitising() { return digitising_; }
    const DigitisingModel& digitising() const { return digitising_; }
    const DataSet& dataSet() const { return dataSet_; }
    const DataSetDisplay& display() const { return display_; }

    // "End": the window closes itself (and runs its closing steps) when called.
    std::function<void()> onCloseRequested;
    // The record count, record number or identification code display changed.
    std::function<void()> onDisplayChanged;

    // Window geometry in twips: the window's outer width and inner height, and
    // the viewport's left and top, as laid out when the window is first shown.
    struct WindowMetrics {
        float outerWidth = 0.0F;
        float innerHeight = 0.0F;
        float viewportLeft = 0.0F;
        float viewportTop = 0.0F;
    };
    // Clears the clipboard, lets the window show itself (returning how it was
    // laid out), empties the data set and sizes the viewport, in this order.
    void StartUp(const std::function<WindowMetrics()>& showWindow);

    void ClearSheet();

    // Command buttons by their number (Command1 ... Command12).
    void Command_Click(int command);

    // "Fill from the Clipboard": the clipboard's text as a record line onto
    // the sheet, then digitising switched off for the four groups.
    void Command9_Click();
    void FillSheetFromText(const std::string& text);
    // Brings record number k (from 1) onto the sheet through the clipboard.
    void ShowRecord(long long k);
    void PreviousRecord();
    void NextRecord();
    void AppendToList();
    void SaveRecordToClipboard();

    // The menu arrays: each delivers its index; unknown indices do nothing.
    void file_Click(int index);
    void open_Click(int index);
    void load_Click(int index);
    void save_Click(int index);

    void LoadDataFile();
    // Saves the sheet and the data set to a file the user chooses; false when
    // the dialog was cancelled or the file could not be written (with a message).
    bool SaveDataFile();
    // The closing prompt; the window closes only when this returns true, so a
    // cancelled or failed save on Yes keeps the data on screen.
    bool QueryClose();

    void OpenPicture();

private:
    void displayChanged();

    PlatformServices& services_;
    DigitisingModel digitising_;
    DataSet dataSet_;
    DataSetDisplay display_;
};

} // namespace korvex
