// The library-wide data module: the 16 × 16 image list every window uses for its buttons and
// actions. Created when the library is loaded, destroyed when it is unloaded.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>

#include <vector>

class TDataModuleQuenvar : public QObject {
    Q_OBJECT
public:
    static constexpr int kImageCount = 22;
    TDataModuleQuenvar();
    /// The image at `index` (0..21); drawn on first use, when a GUI application exists.
    QPixmap Image(int index);
    QIcon Icon(int index) { return QIcon(Image(index)); }
    int Count() const { return kImageCount; }

private:
    std::vector<QPixmap> fImages;
};

/// The module created at library load (nullptr before or after).
TDataModuleQuenvar* DataModuleQuenvar();
void CreateDataModuleQuenvar();
void DestroyDataModuleQuenvar();
