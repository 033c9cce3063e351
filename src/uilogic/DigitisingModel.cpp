#include "uilogic/DigitisingModel.h"

#include "model/NumberText.h"
#include "model/Standardisation.h"
#include "uilogic/PictureFit.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>

namespace korvex {

namespace {

DigitisingListener& silentListener() {
    static DigitisingListener none;
    return none;
}

PointI rounded(float x, float y) {
    return {roundToInt32(x), roundToInt32(y)};
}

bool isMarginal(SeamGroupId group) {
    return group == SeamGroupId::LeftMarginal || group == SeamGroupId::RightMarginal;
}

// "M4", "C12": the seam a box of a group holds, as its label reads in upper case.
std::string seamName(const SeamGroup& g, std::size_t index) {
    return g.seamLetter + std::to_string(g.firstSeamNumber + static_cast<int>(index));
}

// "M1 to M8".
std::string groupRange(const SeamGroup& g) {
    return seamName(g, 0) + " to " + seamName(g, g.lastIndex());
}

} // namespace

DigitisingModel::DigitisingModel() {
    commandEnabled_.fill(true);
}

DigitisingListener& DigitisingModel::out() const {
    return listener_ ? *listener_ : silentListener();
}

void DigitisingModel::sheetChanged() const {
    if (onSheetChanged)
        onSheetChanged();
}

// --- the sheet -----------------------------------------------------------------

void DigitisingModel::setBoxText(SeamGroupId group, std::size_t index, std::string text) {
    // Only a click writes a length with its junctions; any other text is not
    // the distance between them any more, and the click history no longer
    // describes the boxes.
    sheet_.setCell(group, index, std::move(text));
    setSegment(group, index, std::nullopt);
    if (const std::size_t at = seamGroup(group).firstSheetIndex + index; at < lengthSteps_.size())
        lengthSteps_[at].reset();
    endClickHistory();
    measured_[static_cast<std::size_t>(group)] = false;
    out().boxTextChanged(group, index);
    sheetChanged();
}

void DigitisingModel::setLabelsLower(SeamGroupId group, bool lower) {
    if (!seamGroup(group).hasLabels())
        return;
    sheet_.setLabelsLower(group, lower);
    out().labelsChanged(group);
    sheetChanged();
}

void DigitisingModel::setCommandEnabled(SeamGroupId group, bool enabled) {
    commandEnabled_[static_cast<std::size_t>(group)] = enabled;
    out().commandEnabledChanged(group);
    sheetChanged();
}

void DigitisingModel::standardise(SeamGroupId group) {
    const bool divided = standardiseCells(sheet_, group);
    if (seamGroup(group).hasLabels())
        out().labelsChanged(group);
    // A refused division may still have changed the label case.
    sheetChanged();
    if (!divided)
        return;
    // The proportions come from the same clicks, so the segments stay; the
    // lengths a click history would restore are gone.
    endClickHistory();
    markShares(group);
    for (std::size_t i = 0; i < seamGroup(group).count; ++i)
        out().boxTextChanged(group, i);
    setChecked(modeSwitchOf(group), false);
    requestRepaint();
    setCommandEnabled(group, false);
}

// --- check boxes -----------------------------------------------------------------

void DigitisingModel::setChecked(int box, bool on) {
    if (box < 1 || box > kCheckBoxCount)
        return;
    auto& slot = checks_[static_cast<std::size_t>(box)];
    if (slot == on)
        return;
    slot = on;
    out().checkChanged(box);
    switch (box) {
    case kZoomBox:
        ZoomCheckChanged();
        break;
    case kDragBox:
        DragCheckChanged();
        break;
    default:
        for (SeamGroupId group : kLabelledGroups)
            if (modeSwitchOf(group) == box)
                GroupCheckChanged(group);
        // The "Central 2" boxes have no change handling of their own.
        break;
    }
}

void DigitisingModel::GroupCheckChanged(SeamGroupId group) {
    if (!seamGroup(group).hasLabels())
        return; // the "Central 2" groups are never digitised
    setChecked(kZoomBox, false);
    setChecked(kDragBox, false);
    const auto slot = static_cast<std::size_t>(group);
    if (!checked(modeSwitchOf(group))) {
        state_.groupActive[slot] = 0;
        // Lower-case labels mark a group whose values add up to 1.
        const auto total = roundToInt16(sheet_.cellSum(group));
        setLabelsLower(group, total && *total == 1);
        return;
    }
    setLabelsLower(group, false);
    for (SeamGroupId other : kLabelledGroups)
        if (other != group)
            setChecked(modeSwitchOf(other), false);
    setChecked(modeSwitchOf(SeamGroupId::LeftCentral2), false);
    setChecked(modeSwitchOf(SeamGroupId::RightCentral2), false);
    state_.groupActive[slot] = 1;
    moveFocus(group, 0);
    setCommandEnabled(group, true);
}

void DigitisingModel::ZoomCheckChanged() {
    setChecked(kDragBox, false);
    setChecked(modeSwitchOf(SeamGroupId::LeftMarginal), false);
    setChecked(modeSwitchOf(SeamGroupId::RightMarginal), false);
}

void DigitisingModel::DragCheckChanged() {
    setChecked(kZoomBox, false);
    setChecked(modeSwitchOf(SeamGroupId::LeftMarginal), false);
    setChecked(modeSwitchOf(SeamGroupId::RightMarginal), false);
    const DragMode mode = checked(kDragBox) ? DragMode::Automatic : DragMode::Manual;
    if (mode != dragMode_) {
        dragMode_ = mode;
        out().dragModeChanged();
    }
}

// --- focus ------------------------------------------------------------------------

void DigitisingModel::BoxFocused(SeamGroupId group, std::size_t index) {
    const BoxRef box{group, index};
    if (focus_ == box)
        return;
    focus_ = box;
    if (isMarginal(group))
        state_.targetIndex = static_cast<std::int16_t>(index);
}

void DigitisingModel::moveFocus(SeamGroupId group, std::size_t index) {
    if (focus_ == BoxRef{group, index})
        return;
    BoxFocused(group, index);
    out().focusMoved(group, index);
}

// --- pointer ------------------------------------------------------------------------

void DigitisingModel::PointerDown(int button, float x, float y) {
    if (checked(kZoomBox)) {
        zoom(button, x, y);
        return;
    }
    if (button == kLeftButton) {
        for (std::size_t g = 0; g < kSeamGroupCount; ++g)
            if (state_.groupActive[g] == 1)
                digitiseClick(kSeamGroups[g].id, x, y);
    } else if (state_.guideStarted == 0) {
        state_.guideStarted = 1;
        state_.guideAnchor = state_.guideEnd = rounded(x, y);
        guidePlaced_ = true;
    } else {
        state_.guideStarted = 0;
        state_.guideEnd = rounded(x, y);
    }
    // The guide line is drawn from the state whenever the picture is painted.
    out().repaintRequested();
}

void DigitisingModel::digitiseClick(SeamGroupId group, float x, float y) {
    Click click = clickBefore();
    if (state_.chainStarted == 1) {
        const SeamGroup& g = seamGroup(group);
        const auto index = static_cast<std::size_t>(state_.targetIndex);
        if (state_.targetIndex >= 0 && index <= g.lastIndex()) {
            const double dx = static_cast<double>(state_.previousPoint.x) - x;
            const double dy = static_cast<double>(state_.previousPoint.y) - y;
            click.written = BoxRef{group, index};
            click.previousText = sheet_.cell(group, index);
            click.previousSegment = segments_[g.firstSheetIndex + index];
            click.previousSteps = lengthSteps_[g.firstSheetIndex + index];
            sheet_.setCell(group, index, lengthText(std::sqrt(dx * dx + dy * dy)));
            measured_[static_cast<std::size_t>(group)] = false;
            const auto to = photoPixelOf({x, y});
            lengthSteps_[g.firstSheetIndex + index] = LengthSteps{
                previousZoomStep_, zoomSteps_,
                photoSize_ ? static_cast<double>(view_.width) / photoSize_->width : 1.0,
                photoSize_ ? static_cast<double>(view_.height) / photoSize_->height : 1.0, false};
            setSegment(group, index,
                       previousPhotoPoint_ && to
                           ? std::optional(PhotoSegment{*previousPhotoPoint_, *to})
                           : std::nullopt);
            out().boxTextChanged(group, index);
            sheetChanged();
            ++state_.targetIndex;
        } else {
            // A target left beyond this group by an unfinished chain of a longer
            // group has no box here: write nothing and end the chain, as a write
            // into the last box would.
            state_.targetIndex = static_cast<std::int16_t>(g.count);
        }
        if (state_.targetIndex > static_cast<std::int16_t>(g.lastIndex())) {
            state_.targetIndex = 0;
            state_.chainStarted = 0;
        }
        moveFocus(group, static_cast<std::size_t>(state_.targetIndex));
    } else {
        state_.chainStarted = 1;
        chainStart_ = rounded(x, y);
        chainStartPhoto_ = photoPixelOf({x, y});
    }
    state_.previousPoint = state_.bandEnd = rounded(x, y);
    previousPhotoPoint_ = photoPixelOf({x, y});
    previousZoomStep_ = zoomSteps_;
    pushClick(std::move(click));
}

DigitisingModel::Click DigitisingModel::clickBefore() const {
    Click click;
    click.measured = measured_;
    click.targetIndex = state_.targetIndex;
    click.chainStarted = state_.chainStarted;
    click.previousPoint = state_.previousPoint;
    click.bandEnd = state_.bandEnd;
    click.previousPhotoPoint = previousPhotoPoint_;
    click.focus = focus_;
    click.chainStart = chainStart_;
    click.chainStartPhoto = chainStartPhoto_;
    click.previousZoomStep = previousZoomStep_;
    return click;
}

void DigitisingModel::pushClick(Click click) {
    if (clicks_.size() == kClickHistory)
        clicks_.erase(clicks_.begin());
    clicks_.push_back(std::move(click));
}

void DigitisingModel::zoom(int button, float x, float y) {
    const double f = button == kLeftButton ? 1.1 : 0.9;
    const double width = view_.width * f;
    const double height = view_.height * f;
    // Only the direction that leaves the drawable range is refused, so a
    // picture that opened beyond it can still be zoomed back.
    if (f > 1.0 ? std::fmax(width, height) > kMaxPictureTwips
                : std::fmin(width, height) < kMinPictureTwips)
        return;
    view_.left = static_cast<float>(x - (x - static_cast<double>(view_.left)) * f);
    view_.width = static_cast<float>(width);
    view_.top = static_cast<float>(y - (y - static_cast<double>(view_.top)) * f);
    view_.height = static_cast<float>(height);
    zoomStepped();
    geometryChanged();
}

void DigitisingModel::zoomStepped() {
    ++zoomSteps_;
}

void DigitisingModel::PointerMove(float x, float y) {
    state_.lastPointer = rounded(x, y);
    bool digitising = false;
    for (SeamGroupId group : kLabelledGroups)
        digitising = digitising || state_.groupActive[static_cast<std::size_t>(group)] == 1;
    if (digitising) {
        setPointerShape(PointerShape::Crosshair);
    } else {
        setPointerShape(PointerShape::Arrow);
        state_.chainStarted = 0;
    }
    if (state_.chainStarted == 1) {
        state_.bandEnd = rounded(x, y);
        band_ = OverlayLine{{static_cast<float>(state_.previousPoint.x),
                             static_cast<float>(state_.previousPoint.y)},
                            {x, y}};
        out().repaintRequested();
    }
}

void DigitisingModel::DragPicture(float x, float y) {
    if (dragMode_ != DragMode::Automatic)
        return;
    view_.top = static_cast<float>(view_.top - (static_cast<double>(state_.lastPointer.y) - y));
    view_.left = static_cast<float>(view_.left - (static_cast<double>(state_.lastPointer.x) - x));
    geometryChanged();
}

void DigitisingModel::setPointerShape(PointerShape shape) {
    if (shape == pointerShape_)
        return;
    pointerShape_ = shape;
    out().pointerShapeChanged();
}

// --- the picture ----------------------------------------------------------------------

bool DigitisingModel::OpenPicture(const std::string& path, float naturalWidth, float naturalHeight,
                                  const std::shared_ptr<const Picture>& picture) {
    if (!(naturalWidth > 0.0F && naturalHeight > 0.0F) || !std::isfinite(naturalWidth) ||
        !std::isfinite(naturalHeight))
        return false;
    if (picture)
        out().pictureReplaced(*picture);
    showAtNaturalSize(0.0F, 0.0F, naturalWidth, naturalHeight);

    stretch_ = true;
    const float w = view_.width;
    const float h = view_.height;
    view_.width = viewportWidth_;
    viewportHeight_ = static_cast<float>(static_cast<double>(h) * viewportWidth_ / w);
    view_.height = viewportHeight_;
    out().pictureGeometryChanged();

    caption_ = path;
    out().captionChanged();
    resetGuide();
    setChecked(kDragBox, true);
    return true;
}

void DigitisingModel::showAtNaturalSize(float left, float top, float width, float height) {
    stretch_ = false;
    pictureVisible_ = true;
    view_ = {left, top, width, height};
    pictureChanged(width, height);
    geometryChanged();
}

// --- junctions ----------------------------------------------------------------------------

void DigitisingModel::pictureChanged(float naturalWidthTwips, float naturalHeightTwips) {
    const double w = std::round(Coordinates::twipsToPixels(naturalWidthTwips));
    const double h = std::round(Coordinates::twipsToPixels(naturalHeightTwips));
    photoSize_.reset();
    if (w >= 1.0 && h >= 1.0 && w <= INT32_MAX && h <= INT32_MAX)
        photoSize_ = PixelSize{static_cast<int>(w), static_cast<int>(h)};
    // Points on another picture mean nothing on this one; a chain that goes
    // on across the change writes its next length without junctions, and
    // at another scale.
    previousPhotoPoint_.reset();
    zoomStepped();
    restoreSegments({});
}

std::optional<PhotoPixel> DigitisingModel::photoPixelOf(PointF pictureTwips) const {
    if (!photoSize_ || !(view_.width > 0.0F) || !(view_.height > 0.0F))
        return std::nullopt;
    return PhotoPixel{
        Coordinates::pictureTwipsToPhotoPixels(pictureTwips.x, view_.width, photoSize_->width),
        Coordinates::pictureTwipsToPhotoPixels(pictureTwips.y, view_.height, photoSize_->height)};
}

std::optional<PointF> DigitisingModel::pictureTwipsOf(PhotoPixel pixel) const {
    if (!photoSize_)
        return std::nullopt;
    return PointF{static_cast<float>(Coordinates::photoPixelsToPictureTwips(pixel.x, view_.width,
                                                                            photoSize_->width)),
                  static_cast<float>(Coordinates::photoPixelsToPictureTwips(pixel.y, view_.height,
                                                                            photoSize_->height))};
}

void DigitisingModel::setSegment(SeamGroupId group, std::size_t index,
                                 std::optional<PhotoSegment> segment) {
    const std::size_t at = seamGroup(group).firstSheetIndex + index;
    if (at >= segments_.size() || segments_[at] == segment)
        return;
    segments_[at] = segment;
    ++segmentsSerial_;
    out().repaintRequested();
}

void DigitisingModel::restoreSegments(
    const Segments& segments, const std::array<bool, kLabelledGroups.size()>& measuredInPixels) {
    endClickHistory();
    measured_ = {};
    for (std::size_t g = 0; g < kLabelledGroups.size(); ++g) {
        measured_[static_cast<std::size_t>(kLabelledGroups[g])] = measuredInPixels[g];
        // So that a seam clicked again in twips shows the group mixing scales.
        const SeamGroup& group = seamGroup(kLabelledGroups[g]);
        for (std::size_t i = 0; measuredInPixels[g] && i < group.count; ++i)
            if (segments[group.firstSheetIndex + i])
                lengthSteps_[group.firstSheetIndex + i] = kInPhotoPixels;
    }
    if (segments == segments_)
        return;
    segments_ = segments;
    ++segmentsSerial_;
    out().repaintRequested();
}

void DigitisingModel::endClickHistory() {
    clicks_.clear();
}

bool DigitisingModel::undoLastClick() {
    if (clicks_.empty())
        return false;
    const Click click = std::move(clicks_.back());
    clicks_.pop_back();
    if (click.written) {
        const auto [group, index] = *click.written;
        sheet_.setCell(group, index, click.previousText);
        setSegment(group, index, click.previousSegment);
        lengthSteps_[seamGroup(group).firstSheetIndex + index] = click.previousSteps;
        out().boxTextChanged(group, index);
        sheetChanged();
    }
    for (auto r = click.rewrites.rbegin(); r != click.rewrites.rend(); ++r) {
        sheet_.setCell(r->box.group, r->box.index, r->previousText);
        setSegment(r->box.group, r->box.index, r->previousSegment);
        lengthSteps_[seamGroup(r->box.group).firstSheetIndex + r->box.index] = r->previousSteps;
        out().boxTextChanged(r->box.group, r->box.index);
    }
    if (!click.rewrites.empty())
        sheetChanged();
    measured_ = click.measured;
    state_.chainStarted = click.chainStarted;
    state_.previousPoint = click.previousPoint;
    state_.bandEnd = click.bandEnd;
    previousPhotoPoint_ = click.previousPhotoPoint;
    chainStart_ = click.chainStart;
    chainStartPhoto_ = click.chainStartPhoto;
    previousZoomStep_ = click.previousZoomStep;
    // Focusing a marginal box sets targetIndex to it, so the index is put back
    // after the focus.
    if (click.focus)
        moveFocus(click.focus->group, click.focus->index);
    state_.targetIndex = click.targetIndex;
    band_.reset();
    out().repaintRequested();
    return true;
}

void DigitisingModel::geometryChanged() {
    // Hiding and showing the picture repaints it, which removes the band.
    band_.reset();
    out().pictureGeometryChanged();
    out().repaintRequested();
}

void DigitisingModel::setViewportSize(float width, float height) {
    viewportWidth_ = width;
    viewportHeight_ = height;
    out().pictureGeometryChanged();
}

// --- overlays ---------------------------------------------------------------------------

void DigitisingModel::resetGuide() {
    state_.guideAnchor = {};
    state_.guideEnd = {};
    state_.guideStarted = 0;
    guidePlaced_ = false;
    out().repaintRequested();
}

std::optional<OverlayLine> DigitisingModel::guideLine() const {
    if (!guidePlaced_)
        return std::nullopt;
    const auto& s = state_;
    return OverlayLine{{static_cast<float>(s.guideAnchor.x), static_cast<float>(s.guideAnchor.y)},
                       {static_cast<float>(s.guideEnd.x), static_cast<float>(s.guideEnd.y)}};
}

void DigitisingModel::requestRepaint() {
    band_.reset();
    out().repaintRequested();
}

// --- editing the junctions ---------------------------------------------------------

namespace {

double distanceOf(const PhotoSegment& s) {
    return std::hypot(s.to.x - s.from.x, s.to.y - s.from.y);
}

} // namespace

std::vector<PhotoPixel> DigitisingModel::junctions() const {
    std::vector<PhotoPixel> points;
    auto add = [&points](PhotoPixel p) {
        if (std::find(points.begin(), points.end(), p) == points.end())
            points.push_back(p);
    };
    for (const std::optional<PhotoSegment>& s : segments_)
        if (s) {
            add(s->from);
            add(s->to);
        }
    return points;
}

std::optional<PhotoPixel> DigitisingModel::junctionNear(PhotoPixel point, double radius) const {
    std::optional<PhotoPixel> nearest;
    double best = radius;
    for (PhotoPixel p : junctions()) {
        const double d = std::hypot(p.x - point.x, p.y - point.y);
        if (d <= best) {
            best = d;
            nearest = p;
        }
    }
    return nearest;
}

void DigitisingModel::rewriteCell(SeamGroupId group, std::size_t index, std::string text,
                                  std::optional<PhotoSegment> segment) {
    const std::size_t at = seamGroup(group).firstSheetIndex + index;
    if (rewriting_)
        rewriting_->push_back(
            {BoxRef{group, index}, sheet_.cell(group, index), segments_[at], lengthSteps_[at]});
    sheet_.setCell(group, index, std::move(text));
    setSegment(group, index, segment);
    out().boxTextChanged(group, index);
}

void DigitisingModel::markShares(SeamGroupId group) {
    const SeamGroup& g = seamGroup(group);
    if (g.firstSheetIndex + g.count > lengthSteps_.size())
        return; // the "Central 2" boxes hold no record value
    for (std::size_t i = 0; i < g.count; ++i)
        if (auto& steps = lengthSteps_[g.firstSheetIndex + i])
            steps->share = true;
}

bool DigitisingModel::canMeasureFromJunctions(SeamGroupId group) const {
    const SeamGroup& g = seamGroup(group);
    if (g.firstSheetIndex + g.count > segments_.size())
        return false;
    for (std::size_t i = 0; i < g.count; ++i)
        if (!segments_[g.firstSheetIndex + i])
            return false;
    return true;
}

bool DigitisingModel::measureFromJunctions(SeamGroupId group) {
    if (!canMeasureFromJunctions(group))
        return false;
    Click click = clickBefore();
    std::vector<Rewrite>* outer = rewriting_;
    rewriting_ = outer ? outer : &click.rewrites;
    const SeamGroup& g = seamGroup(group);
    const bool standardised = sheet_.labelsLower(group);
    for (std::size_t i = 0; i < g.count; ++i) {
        const std::optional<PhotoSegment> s = segments_[g.firstSheetIndex + i];
        rewriteCell(group, i, lengthText(distanceOf(*s)), s);
        lengthSteps_[g.firstSheetIndex + i] = kInPhotoPixels;
    }
    // The sheet never shows raw and standardised values side by side.
    if (standardised) {
        standardiseCells(sheet_, group);
        markShares(group);
        for (std::size_t i = 0; i < g.count; ++i)
            out().boxTextChanged(group, i);
    }
    rewriting_ = outer;
    measured_[static_cast<std::size_t>(group)] = true;
    if (!outer)
        pushClick(std::move(click));
    sheetChanged();
    return true;
}

bool DigitisingModel::moveJunction(PhotoPixel from, PhotoPixel to) {
    // A junction dropped where it was is no correction: its seams keep their
    // values and their group its unit.
    if (!photoSize_ || to == from || !std::isfinite(to.x) || !std::isfinite(to.y) || to.x < 0.0 ||
        to.y < 0.0 || to.x > photoSize_->width || to.y > photoSize_->height)
        return false;
    Click click = clickBefore();
    rewriting_ = &click.rewrites;
    for (SeamGroupId group : kLabelledGroups) {
        const SeamGroup& g = seamGroup(group);
        bool moved = false;
        for (std::size_t i = 0; i < g.count; ++i) {
            const std::optional<PhotoSegment> old = segments_[g.firstSheetIndex + i];
            if (!old || (old->from != from && old->to != from))
                continue;
            PhotoSegment now = *old;
            if (now.from == from)
                now.from = to;
            if (now.to == from)
                now.to = to;
            // Until the group has all its junctions, a seam keeps the unit it
            // was clicked in. A raw length clicked at one zoom step is the
            // distance in that step's twips: scaling its value instead would
            // scale the rounding of its first click too, which outweighs a
            // seam a few twips long. A share stays a share when the group is
            // ticked again to click on, although its labels then read upper case.
            const std::optional<LengthSteps>& steps = lengthSteps_[g.firstSheetIndex + i];
            const double before = distanceOf(*old);
            double length = 0.0;
            if (steps && steps->from == steps->to && !steps->share && !sheet_.labelsLower(group))
                length = std::hypot((now.to.x - now.from.x) * steps->unitX,
                                    (now.to.y - now.from.y) * steps->unitY);
            else
                length = before > 0.0 ? readNumber(sheet_.cell(group, i)) * distanceOf(now) / before
                                      : distanceOf(now);
            rewriteCell(group, i, lengthText(length), now);
            moved = true;
        }
        if (moved && canMeasureFromJunctions(group)) {
            measureFromJunctions(group);
        } else if (moved && sheet_.labelsLower(group)) {
            // Proportions of one total: the moved seams changed it, so every
            // share is taken of the new one, and the group still adds up to 1.
            for (std::size_t i = 0; i < g.count; ++i)
                rewriteCell(group, i, sheet_.cell(group, i), segments_[g.firstSheetIndex + i]);
            standardiseCells(sheet_, group);
            markShares(group);
            for (std::size_t i = 0; i < g.count; ++i)
                out().boxTextChanged(group, i);
        }
    }
    rewriting_ = nullptr;
    if (click.rewrites.empty())
        return false;
    if (chainStartPhoto_ == from)
        chainStartPhoto_ = to;
    if (previousPhotoPoint_ == from) {
        previousPhotoPoint_ = to;
        // Converted at the view shown now, the point is of this zoom step's
        // scale, whatever step it was clicked at.
        if (const auto twips = pictureTwipsOf(to)) {
            state_.previousPoint = state_.bandEnd = rounded(twips->x, twips->y);
            previousZoomStep_ = zoomSteps_;
        }
    }
    pushClick(std::move(click));
    sheetChanged();
    return true;
}

// --- the chain ------------------------------------------------------------------------

std::optional<PointI> DigitisingModel::chainStart() const {
    if (state_.chainStarted != 1)
        return std::nullopt;
    if (chainStartPhoto_)
        if (const auto twips = pictureTwipsOf(*chainStartPhoto_))
            return rounded(twips->x, twips->y);
    return chainStart_;
}

void DigitisingModel::endChain() {
    if (state_.chainStarted == 0)
        return;
    state_.chainStarted = 0;
    requestRepaint(); // the band and the start marker go with the chain
}

std::optional<SeamGroupId> DigitisingModel::digitisedGroup() const {
    for (SeamGroupId group : kLabelledGroups)
        if (state_.groupActive[static_cast<std::size_t>(group)] == 1)
            return group;
    return std::nullopt;
}

std::string DigitisingModel::nextClickText() const {
    if (checked(kZoomBox))
        return "Next click zooms in; a right click zooms out";
    if (dragMode_ == DragMode::Automatic)
        return "Next click drags the picture";
    const auto group = digitisedGroup();
    if (!group)
        return "Next click measures nothing: tick Marginal or Central to measure";
    const SeamGroup& g = seamGroup(*group);
    const bool started = state_.chainStarted == 1;
    const auto index = static_cast<std::size_t>(std::max<std::int16_t>(state_.targetIndex, 0));
    std::string text;
    if (state_.targetIndex < 0 || index > g.lastIndex()) {
        // Left by an unfinished chain of a longer group: the length has no box here.
        const std::string why = ", as " + groupRange(g) + " have no box " +
                                std::to_string(index + 1) + "; the chain after it starts at " +
                                seamName(g, 0);
        text = started ? "Next click ends the chain without a value" + why
                       : "Next click starts a chain, and the click after it ends that chain "
                         "without a value" +
                             why;
    } else if (started) {
        text = "Next click: " + seamName(g, index) + ", from junction " + std::to_string(index + 1);
        if (previousZoomStep_ != zoomSteps_)
            text += " (clicked before a zoom step, so this length would mix two scales)";
    } else {
        text = "Next click starts a chain at " + seamName(g, index);
    }
    if (mixesScales(*group))
        text += ". " + groupRange(g) +
                " were clicked across a zoom step and mix two scales: "
                "measure them again";
    return text;
}

// --- zoom steps ---------------------------------------------------------------------------

bool DigitisingModel::mixesScales(SeamGroupId group) const {
    // Measured from its junctions, every length is in photo pixels: one scale.
    if (measuredInPhotoPixels(group))
        return false;
    const SeamGroup& g = seamGroup(group);
    std::set<std::uint64_t> steps;
    for (std::size_t i = 0; i < g.count; ++i) {
        const std::size_t at = g.firstSheetIndex + i;
        if (at >= lengthSteps_.size() || !lengthSteps_[at])
            continue;
        if (lengthSteps_[at]->from != lengthSteps_[at]->to)
            return true;
        steps.insert(lengthSteps_[at]->to);
    }
    return steps.size() > 1;
}

void DigitisingModel::setShownArea(float width, float height) {
    shownWidth_ = width;
    shownHeight_ = height;
}

float DigitisingModel::areaWidth() const {
    return shownWidth_ > 0.0F ? std::min(shownWidth_, viewportWidth_) : viewportWidth_;
}

float DigitisingModel::areaHeight() const {
    return shownHeight_ > 0.0F ? std::min(shownHeight_, viewportHeight_) : viewportHeight_;
}

std::optional<PictureFit::Placement> DigitisingModel::wholeIn(double width, double height) const {
    // The picture's own proportions; a picture without a size keeps those it is shown at.
    if (photoSize_)
        return PictureFit::whole(photoSize_->width, photoSize_->height, width, height);
    return PictureFit::whole(view_.width, view_.height, width, height);
}

bool DigitisingModel::fitWhole() {
    const auto fit = wholeIn(shownWidth_, shownHeight_);
    if (!fit)
        return false;
    viewportWidth_ = shownWidth_;
    viewportHeight_ = shownHeight_;
    const PictureView before = view_;
    view_ = {static_cast<float>(fit->left), static_cast<float>(fit->top),
             static_cast<float>(fit->width), static_cast<float>(fit->height)};
    stretch_ = true;
    pictureVisible_ = true;
    if (view_.width != before.width || view_.height != before.height)
        zoomStepped();
    geometryChanged();
    return true;
}

bool DigitisingModel::zoomAbout(double steps, float x, float y) {
    const double factor = std::pow(kWheelStep, steps);
    const double areaW = areaWidth();
    const double areaH = areaHeight();
    const auto whole = wholeIn(areaW, areaH);
    if (!whole)
        return false;
    double maxWidth = kMaxPictureTwips;
    if (photoSize_)
        maxWidth =
            std::min(maxWidth, Coordinates::pixelsToTwips(photoSize_->width * kMaxPixelZoom));
    const double minWidth = std::max(whole->width, static_cast<double>(kMinPictureTwips));
    const PictureFit::Placement from{view_.left, view_.top, view_.width, view_.height};
    const auto to = PictureFit::zoomedAbout(from, factor, view_.left + static_cast<double>(x),
                                            view_.top + static_cast<double>(y), areaW, areaH,
                                            std::min(minWidth, maxWidth), maxWidth);
    if (!to)
        return false;
    view_ = {static_cast<float>(to->left), static_cast<float>(to->top),
             static_cast<float>(to->width), static_cast<float>(to->height)};
    zoomStepped();
    geometryChanged();
    return true;
}

} // namespace korvex
