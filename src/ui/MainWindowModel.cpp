#include "ui/MainWindowModel.h"

namespace korvex {

MainWindowModel::MainWindowModel(PlatformServices& services) : services_(services) {
    digitising_.showAtNaturalSize(kSchemeLeft, kSchemeTop, kSchemeWidth, kSchemeHeight);
}

void MainWindowModel::StartUp(const std::function<WindowMetrics()>& showWindow) {
    services_.clearClipboard();
    const WindowMetrics m = showWindow();
    dataSet_.clear();
    // The viewport keeps this size until a picture is opened; later resizing
    // of the window does not change it.
    digitising_.setViewportSize(m.outerWidth - m.viewportLeft - 20.0F * kTwipsPerPixel,
                                m.innerHeight - 2.0F * m.viewportTop);
}

void MainWindowModel::ClearSheet() {
    auto& d = digitising_;
    for (std::size_t i = 0; i < 8; ++i) {
        d.setBoxText(SeamGroupId::LeftMarginal, i, "0");
        d.setBoxText(SeamGroupId::RightMarginal, i, "0");
        if (i < 6) {
            d.setBoxText(SeamGroupId::LeftCentral, i, "0");
            d.setBoxText(SeamGroupId::RightCentral, i, "0");
        }
    }
    d.moveFocus(SeamGroupId::LeftMarginal, 0);
    d.setChecked(DigitisingModel::modeSwitchOf(SeamGroupId::LeftMarginal), true);
    d.resetGuide();
    for (SeamGroupId group : kLabelledGroups)
        d.GroupCheckChanged(group);
}

void MainWindowModel::Command_Click(int command) {
    for (const SeamGroup& g : kSeamGroups)
        if (g.command == command) {
            digitising_.standardise(g.id);
            return;
        }
    if (command == 4)
        ClearSheet();
}

void MainWindowModel::file_Click(int) {
    // The entries of this array with a command of their own are switched off.
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

void MainWindowModel::OpenPicture() {
    const auto path = services_.openFileName("Pictures (*.jpg)", "*.jpg");
    if (!path)
        return; // a cancelled dialog changes nothing
    const auto picture = services_.loadPicture(*path);
    if (!picture.ok) {
        services_.messageBox("The picture \"" + *path + "\" could not be opened: " +
                                 picture.error,
                             kAppTitle, PlatformServices::Icon::Critical,
                             PlatformServices::Buttons::Ok);
        return;
    }
    digitising_.OpenPicture(*path, picture.widthTwips, picture.heightTwips);
}

} // namespace korvex
