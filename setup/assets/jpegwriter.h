// Writes an image as a progressive JPEG file through libjpeg.
#pragma once

#include <QImage>
#include <QString>

bool WriteProgressiveJpeg(const QImage &image, const QString &path, int quality);
