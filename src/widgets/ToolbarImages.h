// The preview's image list: the 16 x 16 pictures of its toolbar buttons, drawn by the
// program itself, each under its key. A button's disabled picture has the key of its enabled
// picture followed by "dis".
#pragma once

#include <QPixmap>
#include <QString>
#include <map>
#include <utility>
#include <vector>

namespace tessel::widgets {

// Size of every picture, in pixels.
inline constexpr int kToolbarImageSize = 16;

// The pictures in their stored order: "left", "landscape", "portrait", "leftdis", "print",
// "right", "rightdis", "setup", "zoom", "close". Transparent where nothing is drawn.
std::vector<std::pair<QString, QPixmap>> toolbarImages();

// The same pictures by key, as a sheet's picture list takes them.
std::map<QString, QPixmap> toolbarPictureMap();

// The picture under `key`; a null pixmap for a key the list does not hold.
QPixmap toolbarImage(const QString &key);

// The greyed form of a picture, as a disabled button shows it: each pixel's grey level,
// lightened, with its transparency kept.
QPixmap greyedImage(const QPixmap &picture);

}  // namespace tessel::widgets
