#pragma once

#include <QDir>
#include <QImage>
#include <QString>

// Pictures for a person to look at: written only when REELHAND_GALLERY names a folder.
namespace FlatGallery {

inline QString Folder()
{
    return qEnvironmentVariable("REELHAND_GALLERY");
}

inline bool Enabled()
{
    return !Folder().isEmpty();
}

// Saves the image as name in the gallery folder, which is created when missing; true when written.
inline bool Save(const QString& name, const QImage& image)
{
    if (!Enabled())
        return false;
    QDir().mkpath(Folder());
    return image.save(QDir(Folder()).filePath(name));
}

// Three times as large, pixel for pixel, so single-pixel lines can be judged by eye.
inline QImage Zoom(const QImage& image)
{
    return image.scaled(image.size() * 3);
}

} // namespace FlatGallery
