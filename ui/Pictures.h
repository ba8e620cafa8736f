#pragma once
// The design's pictures, decoded with libpng and libjpeg from the files shipped beside the
// program (folder "pictures"). A missing or broken file gives a null image: the control then
// shows no picture, nothing else fails.

#include <QImage>

#include "text/Text.h"

namespace exambell {

QImage decodePng(const Text& path);
QImage decodeJpeg(const Text& path);

struct DesignPictures {
    QImage runIdle;    // 64 x 64 PNG: the run button while no run is active (a play symbol)
    QImage runActive;  // 64 x 64 PNG: the run button during a run (a pause symbol)
    QImage card;       // JPEG: the picture box 图片框1
};

// Reads the pictures from programDir/pictures.
DesignPictures loadDesignPictures(const Text& programDir);

}  // namespace exambell
