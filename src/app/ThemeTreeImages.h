#pragma once
// The ten 16 x 16 images of the theme tree, drawn in code, and the decoration of a filled tree:
// libraries show a closed folder (an open one while selected), themes a grey map document.

#include <QImage>
#include <array>

class QStandardItemModel;

enum TThemeImage {
    RemovableDrive = 0,
    HardDisk,
    OpticalDrive,
    NetworkDrive,
    ClosedFolder,
    OpenFolder,
    Globe,
    MapDocument,
    GreyMapDocument,
    Empty,
    kThemeImageCount
};

const std::array<QImage, kThemeImageCount>& ThemeTreeImages();

// Gives every item of a tree filled by the theme library its image.
void DecorateThemeTree(QStandardItemModel& tree);
