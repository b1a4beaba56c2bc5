// The program's own images: the 16 by 16 image list of the object tree and the toolbar
// (keys "ENGINE" ... "RECSTOP") and the program icon. All are vector images drawn on a
// 16-unit grid, so they stay sharp at 16 pixels and scale cleanly to larger sizes.
//
// Drawing rules for new images (src/panelkit/icons/*.svg): viewBox 0 0 16 16; shapes filled
// with a light tone and outlined by a 1-unit stroke of the dark tone of the same family,
// placed on half units so that the outline covers whole pixels; thin glyphs (lines, crosses)
// are drawn without outline in a mid tone that reads on light and on dark backgrounds.
// Families (fill / outline): blue #4d8fe0 / #1d4f8f, green #5cb860 / #236f30,
// amber #ffc857 #f5b53f / #93600a, red #e5484d / #9b1c20, purple #9b72d8 / #55339a,
// steel #c3ccd6 #7b8898 / #5b6878, paper #ffffff #dfe5ec, screen #2f3d4f.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// The image of one image-list key, given in upper case as the tree and toolbar use it
// ("ENGINE", "WSPACE", ..., "RECSTOP"). Any other key gives a null icon.
QIcon zelIcon(const QString &key);

// The image-list keys in list order: the images of the panel kinds (kinds.h), then the status
// monitor's and the toolbar's.
const QStringList &zelIconKeys();

// The program icon, for the main window and the desktop entry.
QIcon zelAppIcon();
