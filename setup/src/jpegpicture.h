// Decoding of the board photograph, a (progressive) JPEG, with libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Returns the decoded picture as Format_RGB32, or a null image with the
// reason in *error when the data is not a JPEG libjpeg can read.
QImage DecodeJpeg(const QByteArray &data, QString *error = nullptr);
