#pragma once

#include "model/MeasurementSheet.h"
#include "model/PhotoGeometry.h"
#include "model/SeamGroup.h"
#include "uilogic/Coordinates.h"
#include "uilogic/Picture.h"
#include "uilogic/PictureFit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The model works in two of the spaces named in ui/Coordinates.h, both in
// twips (1/1440 inch) and single precision as the window toolkit keeps them:
// viewport twips, from the viewport's top-left corner (PictureView's left and
// top, the viewport size), and picture twips, from the shown picture's
// top-left corner (pointer events, the digitising state, the overlays). The
// windows add widget pixels; a point on the photo itself is in photo pixels.
//
// Picture geometry: left and top are the viewport twips of the picture's
// top-left corner, width and height its shown size in twips.
struct PictureView {
    float left = 0.0F;
    float top = 0.0F;
    float width = 0.0F;
    float height = 0.0F;
};

struct PointF {
    float x = 0.0F;
    float y = 0.0F;
};

// A stored point: whole picture twips.
struct PointI {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const PointI&) const = default;
};

// A line to draw over the picture, in picture twips.
struct OverlayLine {
    PointF from;
    PointF to;
};

enum class PointerShape { Arrow, Crosshair };
enum class DragMode { Manual, Automatic };

// The window's digitising variables. All zero when the window is created.
struct DigitisingState {
    std::array<std::int16_t, kSeamGroupCount> groupActive{};
    std::int16_t chainStarted = 0;
    PointI previousPoint;
    PointI bandEnd;
    PointI lastPointer;
    PointI guideAnchor;
    PointI guideEnd;
    std::int16_t targetIndex = 0;
    std::int16_t guideStarted = 0;
};

// What the window has to carry out when the model changes. Every callback comes
// after the model's state is already changed, so a window can read it back.
class DigitisingListener {
public:
    virtual ~DigitisingListener() = default;
    virtual void boxTextChanged(SeamGroupId /*group*/, std::size_t /*index*/) {}
    virtual void focusMoved(SeamGroupId /*group*/, std::size_t /*index*/) {}
    virtual void checkChanged(int /*box*/) {}
    virtual void labelsChanged(SeamGroupId /*group*/) {}
    virtual void commandEnabledChanged(SeamGroupId /*group*/) {}
    // A picture was opened: the window shows it from now on (the geometry
    // follows in pictureGeometryChanged).
    virtual void pictureReplaced(const Picture& /*picture*/) {}
    // PictureView, stretching, visibility or the viewport size changed.
    virtual void pictureGeometryChanged() {}
    // The picture area is redrawn; its overlays follow the model's state (the
    // rubber band stays until the model removes it).
    virtual void repaintRequested() {}
    virtual void captionChanged() {}
    virtual void pointerShapeChanged() {}
    virtual void dragModeChanged() {}
};

// The digitising model of the main window, free of any window toolkit. It owns
// the sheet, the check boxes Check1..Check8 ("Zoom" is 3, "Drag and Drop" 4),
// the standardise buttons' enabling, the picture geometry and the digitising
// state. The window forwards pointer events in picture twips, check box clicks and focus
// changes, and displays what the model holds.
//
// Setting a check box runs its change handling at once, nested inside whatever
// set it, and only when its state really changes.
class DigitisingModel {
public:
    // The window caption until a picture is opened.
    static constexpr const char* kInitialCaption = "KORVEX 1.0";
    static constexpr int kZoomBox = 3;
    static constexpr int kDragBox = 4;
    static constexpr int kCheckBoxCount = 8;
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;
    // A zoom-out step that would take the picture's smaller side below one
    // pixel at 96 dpi, or a zoom-in step that would take its larger side beyond
    // these twips, is refused, so the geometry stays finite and drawable
    // however often the user zooms.
    static constexpr float kMinPictureTwips = 15.0F;
    static constexpr float kMaxPictureTwips = 1.5e8F;

    DigitisingModel();

    void setListener(DigitisingListener* listener) { listener_ = listener; }
    // A sheet value, a group's label case or a standardise button changed:
    // called after the listener, for whoever keeps a copy of the sheet.
    std::function<void()> onSheetChanged;

    // --- the sheet -------------------------------------------------------
    const MeasurementSheet& sheet() const { return sheet_; }
    void setBoxText(SeamGroupId group, std::size_t index, std::string text);
    void setLabelsLower(SeamGroupId group, bool lower);
    bool commandEnabled(SeamGroupId group) const {
        return commandEnabled_[static_cast<std::size_t>(group)];
    }
    void setCommandEnabled(SeamGroupId group, bool enabled);

    // Divides a group by its total and writes "0.0000" texts; on success it
    // clears the group's switch, repaints the picture and disables the button.
    void standardise(SeamGroupId group);

    // --- check boxes -----------------------------------------------------
    // Boxes are numbered 1..8; any other number is no box (unticked, not settable).
    bool checked(int box) const {
        return box >= 1 && box <= kCheckBoxCount && checks_[static_cast<std::size_t>(box)];
    }
    // Ticks or unticks a box, by the user or by the program.
    void setChecked(int box, bool on);
    static int modeSwitchOf(SeamGroupId group) { return seamGroup(group).modeSwitch; }

    // The change handlers, also run directly (without a change) by the window.
    void GroupCheckChanged(SeamGroupId group);
    void ZoomCheckChanged();
    void DragCheckChanged();

    // --- focus -----------------------------------------------------------
    // A sheet box received the keyboard focus (from the user or the program).
    void BoxFocused(SeamGroupId group, std::size_t index);
    // Moves the focus to a sheet box, as the program does.
    void moveFocus(SeamGroupId group, std::size_t index);
    // The focus went to a control that is not a sheet box.
    void focusLeftSheet() { focus_.reset(); }
    struct BoxRef {
        SeamGroupId group;
        std::size_t index;
        bool operator==(const BoxRef&) const = default;
    };
    std::optional<BoxRef> focusedBox() const { return focus_; }

    // --- pointer ---------------------------------------------------------
    void PointerDown(int button, float x, float y);
    void PointerMove(float x, float y);
    // The picture is being dragged and the pointer is over it at (x, y).
    void DragPicture(float x, float y);

    // --- the picture -----------------------------------------------------
    // The model side of opening a picture: `path` was chosen and loaded, and
    // its natural (upright) size in twips is given. The window is handed
    // `picture` to show, when there is one. Returns false, changing nothing,
    // for a size that is not positive and finite.
    bool OpenPicture(const std::string& path, float naturalWidth, float naturalHeight,
                     const std::shared_ptr<const Picture>& picture = nullptr);
    // Shows the scheme (or any picture) at its natural size, unstretched.
    void showAtNaturalSize(float left, float top, float width, float height);

    const PictureView& pictureView() const { return view_; }
    bool stretch() const { return stretch_; }
    bool pictureVisible() const { return pictureVisible_; }
    float viewportWidth() const { return viewportWidth_; }
    float viewportHeight() const { return viewportHeight_; }
    void setViewportSize(float width, float height);

    const std::string& caption() const { return caption_; }
    PointerShape pointerShape() const { return pointerShape_; }
    DragMode dragMode() const { return dragMode_; }

    // --- junctions ----------------------------------------------------------
    // The opened picture's own size in pixels (the scheme's until a photo is
    // opened); nothing while no picture has a size.
    struct PixelSize {
        int width = 0;
        int height = 0;
        bool operator==(const PixelSize&) const = default;
    };
    std::optional<PixelSize> photoSize() const { return photoSize_; }
    // Picture twips at the current PictureView to photo pixels, and back;
    // nothing while the picture has no size or is shown with none.
    std::optional<PhotoPixel> photoPixelOf(PointF pictureTwips) const;
    std::optional<PointF> pictureTwipsOf(PhotoPixel pixel) const;

    using Segments = PhotoSegments;
    // For each record value (sheet order), the two junctions whose click wrote
    // it, while its box still holds that length or what standardising made
    // of it. Any other change of the box's text forgets its segment; opening
    // another picture forgets them all.
    const Segments& segments() const { return segments_; }
    // Changes whenever the segments do, so a window redraws only then.
    std::uint64_t segmentsSerial() const { return segmentsSerial_; }
    // Puts segments back beside a sheet whose values came from them (a
    // stored record shown with its photo). Ends the click history.
    // `measuredInPixels` (kLabelledGroups order): the groups whose values were
    // measured from these junctions.
    void restoreSegments(const Segments& segments,
                         const std::array<bool, kLabelledGroups.size()>& measuredInPixels = {});

    // Takes back the last click of the current digitising: the box it wrote
    // gets its text, and the model its targetIndex, chain, previous point,
    // focus and segment, as before that click. Repeated, it steps further
    // back. Returns false when there is no click to take back: anything that
    // changes the boxes another way (typing, a fill, clearing, standardising,
    // another picture) ends the history.
    bool undoLastClick();
    bool canUndoClick() const { return !clicks_.empty(); }
    // The longest history kept; older clicks are forgotten first.
    static constexpr std::size_t kClickHistory = 500;

    // --- editing the junctions ----------------------------------------------
    // A junction is a point where segments start or end; the segments of one
    // chain share their end points exactly. All in photo pixels.
    //
    // The distinct junctions of the segments, in sheet order of first use.
    std::vector<PhotoPixel> junctions() const;
    // The junction nearest `point` within `radius`, if any.
    std::optional<PhotoPixel> junctionNear(PhotoPixel point, double radius) const;
    // Moves every segment end at `from` to `to`. Each group with a moved seam
    // is measured from its junctions when all its seams have them; in a group
    // still being clicked, the moved seams keep the unit they were clicked in:
    // a raw length clicked at one zoom step becomes the new distance in the
    // twips per photo pixel of that step, any other value changes by the ratio
    // of the distances, and a standardised group is standardised again. The
    // chain goes on from the moved point. "Undo Last Click" takes the move
    // back. False, changing nothing, when no segment ends at `from`, `to` is
    // `from`, or `to` is not on the photo.
    bool moveJunction(PhotoPixel from, PhotoPixel to);
    // Every seam of the group has its two junctions.
    bool canMeasureFromJunctions(SeamGroupId group) const;
    // Rewrites the group's values as distances in photo pixels between their
    // junctions, the same unit for every seam whatever the zoom when it was
    // clicked; a standardised group is standardised again. Undone like a
    // click. False, changing nothing, when the group cannot be measured so.
    // A seam of the group clicked again afterwards is in twips: the group
    // then mixes two scales (mixesScales) until it is measured again.
    bool measureFromJunctions(SeamGroupId group);
    // The group's values were last written by measuring from the junctions.
    bool measuredInPhotoPixels(SeamGroupId group) const {
        return measured_[static_cast<std::size_t>(group)];
    }
    // --- the chain ---------------------------------------------------------
    // Where the chain under way started, in picture twips of the view shown
    // now (a zoom or a move of that junction takes it along); nothing while
    // no chain is under way.
    std::optional<PointI> chainStart() const;
    // Ends the chain under way ("Start a New Chain", Escape over the
    // picture), so that the next click starts one; the boxes, targetIndex,
    // the focus and the guide line stay as they are. Undo of the last click
    // still takes that click back, with the chain it belonged to.
    void endChain();
    // What the next left click on the picture does, in words for the
    // window's status line: "Next click: M4, from junction 4", "Next click
    // starts a chain at M1", or what the ticked tool does. It warns when the
    // next length, or the group being digitised, mixes zoom scales.
    std::string nextClickText() const;

    // --- zoom steps --------------------------------------------------------
    // Every change of the picture's shown size (a Zoom click, Ctrl + wheel,
    // fitting) scales picture twips and so every length measured after it.
    // Each clicked length remembers the zoom step its two clicks were made
    // at; a group whose clicked lengths were not all made at one step (a
    // chain clicked across a zoom step) mixes two scales, and its
    // standardised proportions mean nothing until it is measured again.
    // Typing, a fill or another text in a box forgets its length's step.
    bool mixesScales(SeamGroupId group) const;
    std::uint64_t zoomSteps() const { return zoomSteps_; }

    // The part of the viewport that the window shows, from its origin, in
    // viewport twips; fitting and wheel zooming keep the picture to it.
    void setShownArea(float width, float height);
    // "Fit the Whole Photo": the viewport becomes the shown area and the
    // whole picture is shown in it, centred, at its own aspect ratio.
    // False, changing nothing, without a shown area or a picture size.
    bool fitWhole();
    // Ctrl + wheel: zooms by kWheelStep to the power `steps` about the
    // picture point (x, y), picture twips, which stays under the pointer.
    // The picture never shrinks below the whole picture in the shown area,
    // nor grows beyond kMaxPixelZoom screen pixels per photo pixel, and it
    // is kept covering the shown area (or inside it, when smaller). Unlike
    // the Zoom tool it needs no tool and leaves every check box as it is.
    // False when nothing changed (at a limit).
    bool zoomAbout(double steps, float x, float y);
    static constexpr double kWheelStep = 1.2;
    static constexpr double kMaxPixelZoom = 32.0;

    // --- digitising state and overlays ------------------------------------
    const DigitisingState& state() const { return state_; }
    void resetGuide();
    // The rubber band as drawn last, until the next repaint removes it.
    std::optional<OverlayLine> rubberBand() const { return band_; }
    // The guide line, shown steadily once it has an anchor.
    std::optional<OverlayLine> guideLine() const;
    void requestRepaint();

private:
    void zoom(int button, float x, float y);
    // The shown size changed: lengths clicked from now on are of another scale.
    void zoomStepped();
    // The group whose clicks are digitised, the first switched on.
    std::optional<SeamGroupId> digitisedGroup() const;
    // What is shown of the viewport: the shown area within the viewport.
    float areaWidth() const;
    float areaHeight() const;
    // The whole picture in an area of that size, centred.
    std::optional<PictureFit::Placement> wholeIn(double width, double height) const;
    void digitiseClick(SeamGroupId group, float x, float y);
    void setPointerShape(PointerShape shape);
    // The picture moved or changed size: tell the window, and drop the band.
    void geometryChanged();
    void sheetChanged() const;
    // A new picture: its size, no segments, no click history.
    void pictureChanged(float naturalWidthTwips, float naturalHeightTwips);
    void endClickHistory();
    void setSegment(SeamGroupId group, std::size_t index, std::optional<PhotoSegment> segment);
    // A value rewritten from the junctions, with what undoing it restores.
    void rewriteCell(SeamGroupId group, std::size_t index, std::string text,
                     std::optional<PhotoSegment> segment);
    // The group's values were divided by their total: each clicked one is a share now.
    void markShares(SeamGroupId group);
    struct Click;
    Click clickBefore() const;
    void pushClick(Click click);
    DigitisingListener& out() const;

    MeasurementSheet sheet_;
    std::array<bool, kCheckBoxCount + 1> checks_{};
    std::array<bool, kSeamGroupCount> commandEnabled_{};
    DigitisingState state_;
    std::optional<BoxRef> focus_;
    PictureView view_;
    bool stretch_ = false;
    bool pictureVisible_ = true;
    float viewportWidth_ = 0.0F;
    float viewportHeight_ = 0.0F;
    std::string caption_ = kInitialCaption;
    PointerShape pointerShape_ = PointerShape::Arrow;
    DragMode dragMode_ = DragMode::Manual;
    std::optional<OverlayLine> band_;
    bool guidePlaced_ = false;
    DigitisingListener* listener_ = nullptr;

    std::optional<PixelSize> photoSize_;
    Segments segments_;
    std::uint64_t segmentsSerial_ = 0;
    // The previous click of the chain on the photo, converted when it was made.
    std::optional<PhotoPixel> previousPhotoPoint_;
    std::array<bool, kSeamGroupCount> measured_{};
    // For each record value (sheet order) made by a click: the zoom steps of
    // its two clicks, and the twips per photo pixel, along x and y, of the
    // view at the second; for a value measured from its junctions, a step no
    // zoom reaches and a unit of one photo pixel. `share`: standardising has
    // made the value a share of its group's total since, which stays one
    // whatever the labels read afterwards.
    struct LengthSteps {
        std::uint64_t from = 0;
        std::uint64_t to = 0;
        double unitX = 1.0;
        double unitY = 1.0;
        bool share = false;
        bool operator==(const LengthSteps&) const = default;
    };
    static constexpr LengthSteps kInPhotoPixels{UINT64_MAX, UINT64_MAX, 1.0, 1.0, false};
    // What a click, a move or a measuring changed, to take it back.
    struct Rewrite {
        BoxRef box;
        std::string previousText;
        std::optional<PhotoSegment> previousSegment;
        std::optional<LengthSteps> previousSteps;
    };

    // The first click of the chain under way.
    PointI chainStart_;
    // The same point on the photo, when it lies on one.
    std::optional<PhotoPixel> chainStartPhoto_;
    float shownWidth_ = 0.0F;
    float shownHeight_ = 0.0F;
    std::uint64_t zoomSteps_ = 0;
    // The zoom step of the chain's previous click.
    std::uint64_t previousZoomStep_ = 0;
    // Per record value, in sheet order; nothing for a value not clicked.
    std::array<std::optional<LengthSteps>, MeasurementSheet::kRecordValueCount> lengthSteps_{};
    // What a click changed, to take it back.
    struct Click {
        std::optional<BoxRef> written;
        std::vector<Rewrite> rewrites;
        std::array<bool, kSeamGroupCount> measured{};
        std::string previousText;
        std::optional<PhotoSegment> previousSegment;
        std::int16_t targetIndex = 0;
        std::int16_t chainStarted = 0;
        PointI previousPoint;
        PointI bandEnd;
        std::optional<PhotoPixel> previousPhotoPoint;
        std::optional<BoxRef> focus;
        PointI chainStart;
        std::optional<PhotoPixel> chainStartPhoto;
        std::uint64_t previousZoomStep = 0;
        std::optional<LengthSteps> previousSteps;
    };
    std::vector<Click> clicks_;
    // The rewrites of the move or measuring being made.
    std::vector<Rewrite>* rewriting_ = nullptr;
};

} // namespace korvex
