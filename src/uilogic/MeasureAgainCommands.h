#pragma once

#include "model/CatalogueState.h"
#include "model/PhotoGeometry.h"
#include "model/SeamGroup.h"
#include "uilogic/MeasureAgainSession.h"
#include "uilogic/PlatformServices.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace korvex {

class MainWindowModel;

// Catalogue › "Measure Again…" on the main window, free of any window
// toolkit: the three questions, then one record after another on the main
// window's own photo and sheet, while a panel there says which record is
// being measured and offers "Keep the Repeat", "Skip" and "Stop". Each repeat
// goes to the Document as it is kept; at the end the user's sheet comes
// back, and the photo the user had open with its junctions. The data set
// never changes.
//
// The records are picked from the catalogue as it was at the start, which
// this keeps alive: the user may go on changing the data set meanwhile, and
// a repeat whose record is gone by the time it is kept is not kept (the
// final message says so), and one whose record was renamed or moved
// meanwhile is kept for that record as it is now.
class MeasureAgainCommands {
public:
    static constexpr const char* kTitle = "Measure Again";
    static constexpr const char* kKeep = "Keep the Repeat";
    static constexpr const char* kSkip = "Skip";
    static constexpr const char* kStop = "Stop";
    static constexpr const char* kCountPrompt = "How many records are to be measured again?";
    static constexpr const char* kSeedPrompt =
        "Seed of the random pick (the same seed picks the same records again):";
    static constexpr const char* kOperatorPrompt =
        "Who measures? (Kept with each repeat; may be left empty.)";
    static constexpr const char* kNoPhotos =
        "No record keeps a photo, so none can be measured again. A record keeps the photo it "
        "was appended on: open a photo, digitise it, then choose \"Append to the List\".";

    MeasureAgainCommands(PlatformServices& services, MainWindowModel& model);

    // The seed proposed at the start; a random one unless replaced (tests).
    std::function<std::uint64_t()> proposeSeed;
    // The session started, moved on or ended: the panel shows panelText()
    // while running() and hides otherwise.
    std::function<void()> onChanged;

    // Asks how many records, the seed and (offering the name given last) who
    // measures, then opens the first record's photo on a cleared sheet.
    // False, changing nothing, on Cancel, when a session is running already,
    // or when no record keeps a photo (after a message).
    bool start();
    bool running() const { return session_.has_value(); }
    const MeasureAgainSession* session() const { return session_ ? &*session_ : nullptr; }
    // "Measuring again: record 12, 3 of 10; seed 48213" (the record's number
    // now); empty when no session is running.
    std::string panelText() const;

    // "Keep the Repeat": the repeat of the record shown, from the sheet and
    // the junctions clicked on its photo, then the next record. Refused with
    // a message, keeping nothing, when nothing was clicked on that photo,
    // another photo is open now, or a value would break a record line; asked
    // first when a group of the sheet is not standardised.
    void keep();
    void skip();
    void stop();

private:
    // The photo entry of a target as the Document holds it now: entries
    // follow their records when these are renamed or move, so this names the
    // record as it is now. Nothing when no entry is that one (its record is
    // gone, or was stored again on another photo).
    const PhotoEntry* entryNow(const PhotoEntry& picked) const;
    // The current target's record number in the data set as it is now; the
    // number it had at the pick once it is gone.
    std::size_t numberNow() const;
    // Opens the photo of the session's current record, asking Skip or Stop
    // while one cannot be found or opened; ends the session once finished.
    void showCurrent();
    void finish();
    void changed();
    std::optional<std::string> ask(const std::string& prompt, const std::string& offered,
                                   const std::function<std::string(const std::string&)>& problem);
    // Whether the user keeps a sheet with groups not standardised.
    bool standardisedOrKeptAnyway();
    void say(const std::string& text, PlatformServices::Icon icon);

    PlatformServices& services_;
    MainWindowModel& model_;
    std::optional<MeasureAgainSession> session_;
    // Each repeat goes to the catalogue as it is kept, so that a recovery
    // copy holds it should the program end before the session does: how
    // many the catalogue took, of how many kept.
    std::size_t taken_ = 0;
    std::size_t made_ = 0;
    // The catalogue the targets were picked from: their entries live in it.
    std::shared_ptr<const CatalogueState> pickedFrom_;
    // The photo shown for the current record and its size in pixels.
    std::string shownPath_;
    // The photo the user had open when the session started, with the
    // junctions clicked on it, opened again at the end once the session has
    // opened another: the sheet that comes back belongs to it.
    struct UserPhoto {
        std::string path;
        PhotoSegments segments;
        std::array<bool, kLabelledGroups.size()> measuredInPixels{};
    };
    std::optional<UserPhoto> userPhoto_;
    bool photoReplaced_ = false;
    // Opens the user's photo again; the sentence the final message adds.
    std::string reopenUserPhoto();
    std::array<bool, kSeamGroupCount> userCommands_{};
    std::string lastOperator_;
};

} // namespace korvex
