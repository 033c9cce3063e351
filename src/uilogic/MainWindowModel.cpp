#include "uilogic/MainWindowModel.h"

#include "analysis/Distributions.h"
#include "analysis/RecordSelection.h"
#include "exchange/ClipboardForms.h"
#include "exchange/PhotoExif.h"
#include "exchange/TextEncoding.h"
#include "exchange/TorFile.h"
#include "model/DecimalComma.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "model/SheetFill.h"
#include "uilogic/CatalogueCommands.h"
#include "uilogic/Coordinates.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>

namespace korvex {

MainWindowModel::MainWindowModel(PlatformServices& services)
    : services_(services), document_(services, kAppTitle),
      photoRecords_(services, digitising_, document_, kAppTitle) {
    digitising_.showAtNaturalSize(kSchemeLeft, kSchemeTop, kSchemeWidth, kSchemeHeight);
    // Closing the list window ends selection mode, so a later double-click on
    // a ranked list never takes a record the user did not pick.
    listWindow_.onClosed = [this] {
        selectMode_ = 0;
    };
    digitising_.onSheetChanged = [this] {
        changed();
    };
}

void MainWindowModel::StartUp(const std::function<WindowMetrics()>& showWindow) {
    services_.clearClipboard();
    const WindowMetrics m = showWindow();
    document_.clear();
    // The viewport keeps this size until a picture is opened; later resizing
    // of the window does not change it.
    digitising_.setViewportSize(m.outerWidth - m.viewportLeft - Coordinates::pixelsToTwips(20.0F),
                                m.innerHeight - 2.0F * m.viewportTop);
}

void MainWindowModel::ClearSheet() {
    auto& d = digitising_;
    for (SeamGroupId group : kLabelledGroups)
        for (std::size_t i = 0; i < seamGroup(group).count; ++i)
            d.setBoxText(group, i, "0");
    d.moveFocus(SeamGroupId::LeftMarginal, 0);
    d.setChecked(DigitisingModel::modeSwitchOf(SeamGroupId::LeftMarginal), true);
    d.resetGuide();
    for (SeamGroupId group : kLabelledGroups)
        d.GroupCheckChanged(group);
    // The band drawn last would stay on the photo like a measured segment
    // beside boxes that hold none; the next pointer move draws it afresh
    // while the chain goes on.
    d.requestRepaint();
}

void MainWindowModel::Command_Click(int command) {
    for (const SeamGroup& g : kSeamGroups)
        if (g.command == command) {
            if (lengthsReadAsTyped(g))
                digitising_.standardise(g.id);
            return;
        }
    switch (command) {
    case SaveRecordCommand:
        SaveRecordToClipboard();
        break;
    case ClearSheetCommand:
        ClearSheet();
        break;
    case FillSheetCommand:
        Command9_Click();
        break;
    case PreviousRecordCommand:
        PreviousRecord();
        break;
    case NextRecordCommand:
        NextRecord();
        break;
    case AppendRecordCommand:
        AppendToList();
        break;
    default:
        break;
    }
}

void MainWindowModel::displayChanged() {
    if (onDisplayChanged)
        onDisplayChanged();
    // Every change of the data set also sets the record count display.
    changed();
}

void MainWindowModel::changed() {
    if (onChanged)
        onChanged();
}

void MainWindowModel::Command9_Click() {
    FillSheetFromText(services_.clipboardText());
}

void MainWindowModel::FillSheetFromText(const std::string& text) {
    fillRecordValues(text, [this](std::size_t sheetIndex, std::string_view value) {
        for (SeamGroupId group : kLabelledGroups) {
            const SeamGroup& g = seamGroup(group);
            if (sheetIndex >= g.firstSheetIndex && sheetIndex < g.firstSheetIndex + g.count)
                digitising_.setBoxText(group, sheetIndex - g.firstSheetIndex, std::string(value));
        }
    });
    for (SeamGroupId group : kLabelledGroups)
        digitising_.GroupCheckChanged(group);
    for (SeamGroupId group : kLabelledGroups)
        digitising_.setChecked(DigitisingModel::modeSwitchOf(group), false);
}

void MainWindowModel::ShowRecord(long long k) {
    const auto pieces = dataSet().pieces();
    if (k < 1 || static_cast<unsigned long long>(k - 1) >= pieces.size())
        return;
    const std::string line(pieces[static_cast<std::size_t>(k - 1)]);
    photoRecords_.recordShown(k);
    const auto fields = SpecimenRecord::splitFields(line);
    if (fields.size() >= 2) {
        display_.code = std::string(fields[0]);
        displayChanged();
    }
    services_.clearClipboard();
    // An empty piece leaves the clipboard empty rather than holding an empty text.
    if (!line.empty())
        services_.setClipboardText(line);
    Command9_Click();
}

void MainWindowModel::PreviousRecord() {
    if (display_.recordNumber > 1) {
        --display_.recordNumber;
        displayChanged();
    }
    if (static_cast<unsigned long long>(display_.recordNumber) <= dataSet().RecordCount())
        ShowRecord(display_.recordNumber);
}

void MainWindowModel::NextRecord() {
    // The count is read from what the display shows, which after a file load
    // is the file's count line as read.
    if (readNumber(display_.countText) > static_cast<double>(display_.recordNumber)) {
        ++display_.recordNumber;
        displayChanged();
    }
    if (dataSet().text().find(DataSet::kLineEnd) != std::string::npos)
        ShowRecord(display_.recordNumber);
}

std::string MainWindowModel::askCode() {
    for (;;) {
        std::string code = services_.inputBox(kCodePrompt, kCodeTitle, "");
        if (SpecimenRecord::fitsAsCode(code))
            return code;
        services_.messageBox(kCodeRefused, kCodeTitle, PlatformServices::Icon::Warning,
                             PlatformServices::Buttons::Ok);
    }
}

bool MainWindowModel::sheetFitsRecord(const std::string& refusal, const char* title) {
    const auto broken = SpecimenRecord::valueBreakingLine(digitising_.sheet());
    if (broken)
        say("The values on the sheet " + refusal + ": the value of " +
                SpecimenRecord::seamName(*broken) +
                " holds a TAB, CR or LF, which would break the record's fields.",
            title, PlatformServices::Icon::Warning);
    return !broken && sheetReadsAsTyped(refusal, title);
}

bool MainWindowModel::sheetReadsAsTyped(const std::string& what, const char* title, bool marginal,
                                        bool central) {
    const MeasurementSheet& sheet = digitising_.sheet();
    const auto comma = DecimalComma::firstSheetValue(sheet, marginal, central);
    if (comma)
        say("The values on the sheet " + what + ": " +
                decimalCommaSaid(SpecimenRecord::seamName(*comma), sheet.value(*comma)),
            title, PlatformServices::Icon::Warning);
    return !comma;
}

std::string MainWindowModel::decimalCommaSaid(const std::string& name, std::string_view value) {
    // As the box shows it: a value filled from an 8-bit record is no UTF-8.
    const std::string text = TextEncoding::toDisplayUtf8(DecimalComma::quotedPart(value));
    return "the value of " + name + ", \"" + text + "\", has a decimal comma and reads as " +
           DecimalComma::readAs(text) + ". Type it with \".\" as the decimal point.";
}

bool MainWindowModel::lengthsReadAsTyped(const SeamGroup& g) {
    for (std::size_t i = 0; i < g.count; ++i) {
        const std::string& value = digitising_.sheet().cell(g.id, i);
        if (!DecimalComma::holdsOne(value))
            continue;
        const bool left = g.id == SeamGroupId::LeftCentral2;
        const std::string cell = g.hasLabels()
                                     ? g.seamLetter + std::to_string(g.firstSeamNumber + int(i))
                                     : "box " + std::to_string(i + 1) + " of the " +
                                           (left ? "left" : "right") + " \"" +
                                           std::string(g.modeCaption) + "\" column";
        say("The lengths cannot be standardised: " + decimalCommaSaid(cell, value), kAppTitle,
            PlatformServices::Icon::Warning);
        return false;
    }
    return true;
}

void MainWindowModel::tellDecimalCommas(const std::string& subject) {
    const auto found = DecimalComma::inDataSet(dataSet().text());
    if (found.records == 0)
        return;
    const bool one = found.records == 1;
    // The record's bytes as the window shows them: a code from an old 8-bit
    // file would otherwise not be valid UTF-8 beside the path.
    const std::string text = TextEncoding::toDisplayUtf8(found.firstValue.text);
    say(subject + " " + std::to_string(found.records) + (one ? " record" : " records") +
            " with a decimal comma in a value: " + (one ? "" : "the first is ") + "record " +
            std::to_string(found.firstRecord) + " (\"" +
            TextEncoding::toDisplayUtf8(found.firstCode) + "\"), whose " +
            SpecimenRecord::seamName(found.firstValue.index) + " is \"" + text +
            "\". Such a value reads as the digits before the comma (\"" + text + "\" as " +
            DecimalComma::readAs(text) + "), so every distance to " +
            (one ? "this record" : "these records") +
            " is wrong. The values must use \".\" as the decimal point.",
        kAppTitle, PlatformServices::Icon::Warning);
}

namespace {

// A code as a message quotes it: a row of prose without a TAB is all code,
// and would fill the message box.
std::string quotedCode(std::string_view code) {
    constexpr std::size_t kLongest = 40;
    std::string shown = TextEncoding::toDisplayUtf8(code);
    if (shown.size() > kLongest) {
        std::size_t cut = kLongest;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            --cut; // not inside a character
        shown = shown.substr(0, cut) + "\u2026";
    }
    return "\"" + shown + "\"";
}

} // namespace

void MainWindowModel::tellUnendedRow() {
    const auto rows = DataSet::unendedRows(dataSet().text());
    if (!rows)
        return;
    const std::string_view code = rows->code;
    if (rows->crAlone) {
        say("The data from the clipboard hold rows that end in CR alone, from the one with the "
            "code " +
                quotedCode(code) +
                " on: a record ends in CR LF, so they are not counted, listed or compared. Copy "
                "the rows with CR LF or LF line ends, then load them again.",
            kAppTitle, PlatformServices::Icon::Warning);
        return;
    }
    say("The data from the clipboard end in a row without a line end (" +
            (code.empty() ? std::string("it has no code") : "its code is " + quotedCode(code)) +
            "), which is not a record: it is not counted, listed or compared. Copy the rows "
            "with a line end after the last one, then load them again.",
        kAppTitle, PlatformServices::Icon::Warning);
}

void MainWindowModel::AppendToList() {
    // Checked before the code is asked for, so that nothing typed is wasted.
    if (!sheetFitsRecord("cannot be appended", kAppTitle))
        return;
    const std::string code = askCode();
    const std::string line = SpecimenRecord::BuildRecordLine(code, digitising_.sheet());
    auto photo = photoRecords_.entryForAppend();
    auto encounter = encounterForAppend(code, photo);
    document_.appendRecord(line, std::move(photo), std::move(encounter));
    display_.countText = std::to_string(dataSet().RecordCount());
    displayChanged();
}

std::optional<Encounter>
MainWindowModel::encounterForAppend(const std::string& code,
                                    const std::optional<PhotoEntry>& photo) {
    Encounter encounter;
    std::optional<std::string> photoPath;
    if (photo) {
        photoPath = photo->photoPath;
        PhotoExif::read(*photoPath).fillBlanks(encounter);
    }
    if (askEncounterAtAppend_ && onAskEncounter)
        if (auto typed = onAskEncounter(code, encounter, photoPath))
            return typed;
    return encounter;
}

void MainWindowModel::SaveRecordToClipboard() {
    // The clipboard is emptied before the question, not with the write after it.
    services_.clearClipboard();
    const std::string code = askCode();
    services_.setClipboardText(ClipboardForms::recordForm(code, digitising_.sheet()));
}

void MainWindowModel::file_Click(int index) {
    // The other entries of this array only open their menus.
    if (index == AllPairsEntry)
        allPairsDistances();
    else if (index == DistributionEntry)
        generateDistribution();
}

void MainWindowModel::allPairsDistances() {
    std::string output;
    // Without a record nothing is compared, and the list window is not opened.
    if (dataSet().text().find(DataSet::kLineEnd) != std::string::npos) {
        selectMode_ = 0;
        MeasurementSheet sheet = digitising_.sheet();
        output = Distributions::allPairsDistances(sheet, dataSet().text(), comparison_,
                                                  listWindow_.list(), *this);
        for (SeamGroupId group : kLabelledGroups)
            for (std::size_t i = 0; i < seamGroup(group).count; ++i)
                if (sheet.cell(group, i) != digitising_.sheet().cell(group, i))
                    digitising_.setBoxText(group, i, sheet.cell(group, i));
        listWindow_.redraw();
    }
    replaceClipboard(output);
}

void MainWindowModel::generateDistribution() {
    Distributions::UniformGenerator uniform(
        Distributions::seedFromTimeOfDay(services_.secondsSinceMidnight()));
    const auto histogram = Distributions::generateDistribution(std::ref(uniform));
    // The clipboard keeps what it held until the message is closed.
    services_.messageBox(histogram.percentageText, kAppTitle, PlatformServices::Icon::None,
                         PlatformServices::Buttons::Ok);
    replaceClipboard(histogram.text);
}

void MainWindowModel::open_Click(int index) {
    switch (index) {
    case OpenPictureEntry:
        OpenPicture();
        break;
    case EndEntry:
        if (onCloseRequested)
            onCloseRequested();
        break;
    default:
        break;
    }
}

void MainWindowModel::load_Click(int index) {
    if (index == LoadFromClipboard) {
        if (askBeforeReplacing() == Replace::Keep)
            return;
        document_.takeClipboardText(services_.clipboardText()); // it carries no photos
        photoRecords_.forgetShown();
        pickListFollows();
        display_.countText = std::to_string(dataSet().RecordCount());
        displayChanged();
        if (ClipboardForms::showsRecordAfterLoad(dataSet().text()))
            ShowRecord(display_.recordNumber);
        tellUnendedRow();
        tellDecimalCommas("The data from the clipboard hold");
    } else if (index == LoadFromFile) {
        LoadDataFile();
    }
}

void MainWindowModel::save_Click(int index) {
    if (index == SaveToClipboard) {
        replaceClipboard(dataSet().text());
    } else if (index == SaveToFile) {
        SaveDataFile();
    }
}

std::optional<Measure> MainWindowModel::measureOfEntry(int compIndex) {
    switch (compIndex) {
    case MarginalD1:
        return Measure::D1;
    case CentralD2:
        return Measure::D2;
    case Combined:
        return Measure::D;
    default:
        return std::nullopt;
    }
}

void MainWindowModel::comp_Click(int index) {
    const auto measure = measureOfEntry(index);
    if (!measure)
        return;
    if (dataSet().text().find(DataSet::kLineEnd) == std::string::npos)
        return; // nothing loaded or appended: no message, no change
    // Said, and compared all the same: the run is the command's, the word is
    // what keeps its figures from passing for those of the value typed. Only
    // the values the measure reads count: a comma in a central value changes no D1.
    sheetReadsAsTyped("are compared as they read", kAppTitle, *measure != Measure::D2,
                      *measure != Measure::D1);
    // A comparison refills the list, so its entries are no longer codes to pick.
    selectMode_ = 0;
    const auto summary = ComparisonRun::comp_Click(*measure, digitising_.sheet(), dataSet().text(),
                                                   comparison_, listWindow_.list(), *this);
    listWindow_.redraw();
    replaceClipboard(summary.value_or(std::string()));
    listWindow_.show();
}

void MainWindowModel::aha_Click(int index) {
    if (index != SelectRecord)
        return;
    selectMode_ = 1;
    listWindow_.setCaption(std::string(RecordSelection::kCaption));
    RecordSelection::fillList(dataSet().text(), listWindow_.list());
    listWindow_.redraw();
    listWindow_.show();
}

void MainWindowModel::List1_DblClick(std::optional<std::size_t> selected) {
    if (selectMode_ != 1 || !selected || *selected >= listWindow_.list().count())
        return;
    const std::int32_t itemData = listWindow_.list().itemData(*selected);
    if (itemData < 0 || !ShowPickedRecord(static_cast<std::size_t>(itemData) + 1))
        return;
    listWindow_.close();
    selectMode_ = 0;
    if (onFocusMainWindow)
        onFocusMainWindow();
}

bool MainWindowModel::ShowPickedRecord(std::size_t recordNumber) {
    // A pick's item data is the piece index, which it keeps as a 32-bit number.
    if (recordNumber < 1 ||
        recordNumber - 1 > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    const auto pick =
        RecordSelection::pick(dataSet().text(), static_cast<std::int32_t>(recordNumber - 1));
    if (!pick)
        return false;
    replaceClipboard(pick->line);
    display_.recordNumber = pick->recordNumber;
    display_.code = pick->code;
    photoRecords_.recordShown(pick->recordNumber);
    displayChanged();
    Command9_Click();
    return true;
}

void MainWindowModel::CopyList() {
    replaceClipboard(listWindow_.copyText());
}

void MainWindowModel::replaceClipboard(const std::string& text) {
    services_.clearClipboard();
    services_.setClipboardText(text);
}

const Decision& MainWindowModel::LogDecision(Decision decision) {
    document_.recordDecision(std::move(decision));
    changed();
    return document_.decisions().all().back();
}

void MainWindowModel::message(std::string_view text) {
    services_.messageBox(std::string(text), kAppTitle, PlatformServices::Icon::None,
                         PlatformServices::Buttons::Ok);
}

void MainWindowModel::setListCaption(const std::string& caption) {
    listWindow_.setCaption(caption);
}

void MainWindowModel::redrawList() {
    listWindow_.redraw();
}

void MainWindowModel::LoadDataFile() {
    const auto path = services_.openFileName(std::string(TorFile::kFilterDescription),
                                             std::string(TorFile::kFilterPattern));
    if (!path)
        return; // a cancelled dialog loads and empties nothing
    // The data set is replaced only once the file could be opened.
    auto file = document_.readDataFile(*path);
    if (!file || !document_.mayOpen(*path))
        return;
    switch (askBeforeReplacing()) {
    case Replace::Keep:
        return;
    case Replace::GoAfterSave:
        file = document_.readDataFile(*path); // the save may have written this very file
        if (!file)
            return;
        break;
    case Replace::Go:
        break;
    }
    const TorFile::ReadResult& read = *file;
    if (read.sheetLine) {
        replaceClipboard(*read.sheetLine);
        Command9_Click();
    }
    // A file that ends early keeps what was read before its end.
    document_.takeDataFile(*path, read.dataSetText);
    pickListFollows();
    display_.countText = read.countLine ? *read.countLine : "0";
    displayChanged();
    // Loading what a cut-short file holds is right, but not in silence: the
    // user would otherwise save the remains over the file as if whole. The
    // same holds for lines after the records the count line announces (rows
    // added by another program, other line ends): the file on disk is as it
    // was loaded, so a save over it asks nothing and they would be gone.
    // Lines ended by LF alone before a CR LF run together, and may leave
    // nothing unread while none of them was read as the line it is.
    if (!read.allRecords || !read.allRead || read.lfLineEnds) {
        const std::size_t loaded = dataSet().RecordCount();
        const std::string records =
            std::to_string(loaded) + (loaded == 1 ? " record was" : " records were") + " loaded.";
        const std::string text =
            !read.allRecords
                ? "is incomplete: it ends before all the records it announces. " + records +
                      (read.lfLineEnds ? std::string(kLfLineEnds) : std::string())
            : read.lfLineEnds
                ? "holds lines that end in LF alone, which were not read as lines of their own. " +
                      records + " Saving over the file would lose the lines not loaded." +
                      kLfLineEndsAdvice
                : "holds lines after the records it announces, which were not loaded. " + records +
                      " Saving over the file would lose the lines not loaded." +
                      (read.crCrLfLineEnds ? kCrCrLfLineEnds : "");
        services_.messageBox("The data file \"" + *path + "\" " + text, kAppTitle,
                             PlatformServices::Icon::Warning, PlatformServices::Buttons::Ok);
    }
    tellDecimalCommas("The data file \"" + *path + "\" holds");
    photoRecords_.forgetShown();
    document_.loadCompanion();
}

MainWindowModel::Replace MainWindowModel::askBeforeReplacing() {
    if (!document_.holdsUnsavedChanges())
        return Replace::Go;
    const std::size_t records = dataSet().RecordCount();
    const std::size_t answer = services_.choiceBox(
        "The data (" + std::to_string(records) + (records == 1 ? " record" : " records") +
            ") hold changes that are not saved to a file, and loading replaces them. Do you want "
            "to save them first?",
        kAppTitle, PlatformServices::Icon::Warning, {kSaveThem, kDiscardThem, kCancel});
    if (answer == 0)
        return SaveDataFile() ? Replace::GoAfterSave : Replace::Keep;
    return answer == 1 ? Replace::Go : Replace::Keep;
}

bool MainWindowModel::SaveDataFile() {
    for (;;) {
        const auto path = services_.saveFileName(std::string(TorFile::kFilterDescription),
                                                 std::string(TorFile::kFilterPattern));
        if (!path)
            return false; // nothing is written to a file the user did not choose
        const std::size_t records = dataSet().RecordCount();
        const auto outcome = document_.saveDataFile(*path, digitising_.sheet());
        if (dataSet().RecordCount() != records) {
            // Merged with the file on disk: the records added are counted as appended ones are.
            pickListFollows();
            display_.countText = std::to_string(dataSet().RecordCount());
            displayChanged();
        } else {
            changed(); // the photos are now found from the file saved
        }
        if (outcome != Document::SaveOutcome::AnotherName)
            return outcome == Document::SaveOutcome::Saved;
    }
}

bool MainWindowModel::QueryClose() {
    const auto answer =
        services_.messageBox(kClosePrompt, kCloseTitle, PlatformServices::Icon::Information,
                             PlatformServices::Buttons::YesNo);
    if (answer != PlatformServices::Answer::Yes)
        return true;
    return SaveDataFile();
}

void MainWindowModel::OpenPicture() {
    const auto path = services_.openFileName("Pictures (*.jpg)", "*.jpg");
    if (!path)
        return; // a cancelled dialog changes nothing
    const auto picture = services_.loadPicture(*path);
    if (!picture.ok) {
        services_.messageBox("The picture \"" + *path + "\" could not be opened: " + picture.error,
                             kAppTitle, PlatformServices::Icon::Critical,
                             PlatformServices::Buttons::Ok);
        return;
    }
    // The photo being digitised, opened again to see it fitted after zooming
    // or dragging it away, is the same photo: its junctions still lie on it,
    // and without them a record appended now would keep no photo.
    const bool again = photoRecords_.openPhoto() == *path;
    const auto size = digitising_.photoSize();
    const DigitisingModel::Segments segments = digitising_.segments();
    std::array<bool, kLabelledGroups.size()> measured{};
    for (std::size_t g = 0; g < kLabelledGroups.size(); ++g)
        measured[g] = digitising_.measuredInPhotoPixels(kLabelledGroups[g]);
    if (digitising_.OpenPicture(*path, picture.widthTwips, picture.heightTwips, picture.picture)) {
        if (again && size && digitising_.photoSize() == size)
            digitising_.restoreSegments(segments, measured);
        photoRecords_.photoOpened(*path, picture.damage);
        photoChanged();
    }
}

void MainWindowModel::OpenRecordPhoto() {
    photoRecords_.openRecordPhoto();
    photoChanged();
}

void MainWindowModel::photoChanged() {
    if (onPhotoChanged)
        onPhotoChanged();
}

void MainWindowModel::say(const std::string& text, const char* title, PlatformServices::Icon icon) {
    services_.messageBox(text, title, icon, PlatformServices::Buttons::Ok);
}

std::optional<std::size_t> MainWindowModel::recordShownNumber() const {
    const auto& shown = photoRecords_.shown();
    if (!shown)
        return std::nullopt;
    const auto pieces = dataSet().pieces();
    const std::size_t index = indexOfOccurrence(pieces, shown->recordLine, shown->occurrence);
    // The display must still name it: the user acts on the number shown.
    if (index >= dataSet().RecordCount() ||
        static_cast<long long>(index) + 1 != display_.recordNumber)
        return std::nullopt;
    return index + 1;
}

std::optional<std::size_t> MainWindowModel::recordToMend(const char* title) {
    const auto n = recordShownNumber();
    if (!n)
        say(kNoRecordShown, title, PlatformServices::Icon::Information);
    return n;
}

void MainWindowModel::mended(std::optional<std::size_t> recordNumber) {
    photoRecords_.forgetShown();
    if (recordNumber) {
        photoRecords_.recordShown(static_cast<long long>(*recordNumber));
        display_.code = std::string(SpecimenRecord::codeOf(dataSet().piece(*recordNumber - 1)));
    }
    pickListFollows();
    displayChanged();
}

void MainWindowModel::pickListFollows() {
    if (selectMode_ != 1)
        return;
    RecordSelection::fillList(dataSet().text(), listWindow_.list());
    listWindow_.redraw();
}

void MainWindowModel::ChangeCode() {
    const auto n = recordToMend(kChangeCodeTitle);
    if (!n)
        return;
    const std::string line(dataSet().piece(*n - 1));
    const std::string_view code = SpecimenRecord::codeOf(line);
    const auto answer =
        services_.askText("New identification code of record " + std::to_string(*n) + " (now \"" +
                              std::string(code) + "\"):",
                          kChangeCodeTitle, std::string(code));
    if (!answer || *answer == code)
        return;
    if (const auto problem = SpecimenRecord::codeProblem(*answer)) {
        say(*problem, kChangeCodeTitle, PlatformServices::Icon::Warning);
        return;
    }
    document_.replaceRecord(*n, SpecimenRecord::withCode(line, *answer));
    mended(n);
}

void MainWindowModel::ReplaceValuesFromSheet() {
    const auto n = recordToMend(kReplaceValuesTitle);
    if (!n)
        return;
    if (!sheetFitsRecord("cannot replace the record", kReplaceValuesTitle))
        return;
    const MeasurementSheet& sheet = digitising_.sheet();
    const std::string_view old = dataSet().piece(*n - 1);
    const std::string line = SpecimenRecord::BuildRecordLine(SpecimenRecord::codeOf(old), sheet);
    auto photo = photoRecords_.entryForAppend();
    if (!photo && line == old) {
        say("Record " + std::to_string(*n) + " holds the values on the sheet already.",
            kReplaceValuesTitle, PlatformServices::Icon::Information);
        return;
    }
    if (photo) {
        const auto pieces = dataSet().pieces();
        if (const PhotoEntry* kept = document_.photoEntryOf(old, occurrenceOf(pieces, *n - 1))) {
            // The record was appended then; on the same photo, the seams not
            // clicked again keep their junctions.
            photo->appendedAt = kept->appendedAt;
            if (kept->photoPath == photo->photoPath && kept->widthPixels == photo->widthPixels &&
                kept->heightPixels == photo->heightPixels)
                for (std::size_t i = 0; i < photo->segments.size(); ++i)
                    if (!photo->segments[i])
                        photo->segments[i] = kept->segments[i];
        }
    }
    document_.replaceRecord(*n, line, std::move(photo));
    mended(n);
}

void MainWindowModel::DeleteRecord() {
    const auto n = recordToMend(kDeleteRecordTitle);
    if (!n)
        return;
    const std::string code(SpecimenRecord::codeOf(dataSet().piece(*n - 1)));
    const auto answer = services_.messageBox(
        "Delete record " + std::to_string(*n) + " (\"" + code +
            "\") from the data set? Its photo entry goes with it; the decisions about it stay "
            "in the log. \"Undo the Last Record Change\" brings it back until the data are "
            "saved.",
        kDeleteRecordTitle, PlatformServices::Icon::Warning, PlatformServices::Buttons::YesNo);
    if (answer != PlatformServices::Answer::Yes)
        return;
    document_.deleteRecord(*n);
    display_.countText = std::to_string(dataSet().RecordCount());
    display_.code.clear(); // the number now stands for the next record, not yet shown
    mended(std::nullopt);
}

void MainWindowModel::RenameAnimal() {
    const auto n = recordToMend(kRenameAnimalTitle);
    if (!n)
        return;
    const auto pattern =
        CatalogueCommands::askPattern(services_, kRenameAnimalTitle, individualPattern_);
    if (!pattern)
        return;
    individualPattern_ = pattern->text;
    const auto pieces = dataSet().pieces();
    const std::string_view shownCode = SpecimenRecord::codeOf(pieces[*n - 1]);
    const std::string animal = pattern->individuals.individualOf(shownCode);
    // Every record of the animal, as the checks read them; an empty line
    // names no animal.
    std::vector<std::size_t> records;
    for (std::size_t i = 0; i < dataSet().RecordCount(); ++i)
        if ((!pieces[i].empty() || i + 1 == *n) &&
            pattern->individuals.individualOf(SpecimenRecord::codeOf(pieces[i])) == animal)
            records.push_back(i + 1);
    const auto answer = services_.askText(
        "Every record of the animal \"" + animal + "\" (" + std::to_string(records.size()) +
            (records.size() == 1 ? " record" : " records") + ") gets the code:",
        kRenameAnimalTitle, std::string(shownCode));
    if (!answer)
        return;
    if (const auto problem = SpecimenRecord::codeProblem(*answer)) {
        say(*problem, kRenameAnimalTitle, PlatformServices::Icon::Warning);
        return;
    }
    std::map<std::size_t, std::string> lines;
    for (const std::size_t record : records)
        if (SpecimenRecord::codeOf(pieces[record - 1]) != *answer)
            lines.emplace(record, SpecimenRecord::withCode(pieces[record - 1], *answer));
    if (lines.empty()) {
        say("Every record of the animal \"" + animal + "\" has the code \"" + *answer +
                "\" already.",
            kRenameAnimalTitle, PlatformServices::Icon::Information);
        return;
    }
    document_.replaceRecords(lines);
    mended(n);
}

void MainWindowModel::UndoRecordChange() {
    const std::size_t count = dataSet().RecordCount();
    if (!document_.undo()) {
        say(kNothingToUndo, kUndoChangeTitle, PlatformServices::Icon::Information);
        return;
    }
    if (dataSet().RecordCount() != count)
        display_.countText = std::to_string(dataSet().RecordCount());
    const bool onRecord =
        display_.recordNumber >= 1 &&
        static_cast<unsigned long long>(display_.recordNumber) <= dataSet().RecordCount();
    mended(onRecord ? std::optional<std::size_t>(static_cast<std::size_t>(display_.recordNumber))
                    : std::nullopt);
}

RecoverySnapshot MainWindowModel::snapshot() const {
    RecoverySnapshot s;
    s.dataSet = dataSet().text();
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
        s.values[i] = digitising_.sheet().value(i);
    s.display = display_;
    for (const SeamGroup& g : kSeamGroups) {
        s.labelsLower[std::size_t(g.id)] = digitising_.sheet().labelsLower(g.id);
        s.commandEnabled[std::size_t(g.id)] = digitising_.commandEnabled(g.id);
    }
    s.photos = document_.state();
    s.unsaved = document_.isModified();
    return s;
}

void MainWindowModel::restore(const RecoverySnapshot& s) {
    document_.restore(s.dataSet, s.photos, s.unsaved);
    photoRecords_.forgetShown();
    for (const SeamGroup& g : kSeamGroups) {
        for (std::size_t i = 0; i < g.count; ++i)
            digitising_.setBoxText(g.id, i, s.values[g.firstSheetIndex + i]);
        digitising_.setLabelsLower(g.id, s.labelsLower[std::size_t(g.id)]);
        digitising_.setCommandEnabled(g.id, s.commandEnabled[std::size_t(g.id)]);
    }
    display_ = s.display;
    pickListFollows();
    displayChanged();
}

MainWindowModel::RecoveryOutcome
MainWindowModel::OfferRecovery(std::string_view copy, const std::string& savedAt,
                               const std::function<std::string()>& keepAside,
                               const std::string& declinedAs) {
    auto read = RecoverySnapshot::read(copy);
    if (const auto* bad = std::get_if<RecoverySnapshot::Unreadable>(&read)) {
        if (bad->ofLaterVersion) {
            // Moved aside, it would never be offered by the version that can read it.
            services_.messageBox("Unsaved data from " + savedAt +
                                     " were kept for recovery in a copy, but " + bad->reason +
                                     ", which this version cannot read. Nothing "
                                     "was restored. The copy is left for that version to offer.",
                                 kAppTitle, PlatformServices::Icon::Warning,
                                 PlatformServices::Buttons::Ok);
            return RecoveryOutcome::Unreadable;
        }
        const std::string keptAs = keepAside();
        services_.messageBox(
            "Unsaved data from " + savedAt + " were kept for recovery, but they cannot be read: " +
                bad->reason + ". Nothing was restored. The copy is kept as \"" + keptAs + "\".",
            kAppTitle, PlatformServices::Icon::Warning, PlatformServices::Buttons::Ok);
        return RecoveryOutcome::Unreadable;
    }
    RecoverySnapshot& s = std::get<RecoverySnapshot>(read);
    const std::size_t records = DataSet::countLineEnds(s.dataSet);
    const auto answer = services_.messageBox(
        "KORVEX was not closed normally. Do you want to restore the unsaved data from " + savedAt +
            " (" + std::to_string(records) + (records == 1 ? " record" : " records") +
            " and the sheet)? If you answer No, they are kept as \"" + declinedAs +
            "\" and not offered again.",
        kAppTitle, PlatformServices::Icon::Warning, PlatformServices::Buttons::YesNo);
    if (answer != PlatformServices::Answer::Yes)
        return RecoveryOutcome::Declined;
    takeSavedPhotos(s);
    restore(s);
    return RecoveryOutcome::Restored;
}

void MainWindowModel::takeSavedPhotos(RecoverySnapshot& s) {
    if (!s.photosOnDisk)
        return;
    const std::string companion = s.photosOnDisk->path;
    std::optional<std::string> bytes;
    if (services_.fileExists(companion))
        if (auto file = services_.readFile(companion); file.ok)
            bytes = std::move(file.bytes);
    const std::string folder = std::filesystem::path(companion).parent_path().string();
    const auto found = s.takeSavedPhotos(bytes, folder);
    if (found == RecoverySnapshot::SavedPhotos::Same)
        return;
    services_.messageBox(
        found == RecoverySnapshot::SavedPhotos::Changed
            ? "The photos file \"" + companion +
                  "\" changed after the unsaved data were kept. The photos and decisions it "
                  "holds now were taken, with those made since it was saved."
            : "The photos file \"" + companion +
                  "\" cannot be read, so the photos and decisions saved in it were not restored. "
                  "Those made since it was saved were restored.",
        kAppTitle, PlatformServices::Icon::Warning, PlatformServices::Buttons::Ok);
}

void MainWindowModel::RecoveryCopyFailed(const std::string& reason) {
    services_.messageBox("Unsaved data cannot be kept for recovery after a crash: " + reason +
                             ". Save the data to a file to keep it.",
                         kAppTitle, PlatformServices::Icon::Warning, PlatformServices::Buttons::Ok);
}

} // namespace korvex
