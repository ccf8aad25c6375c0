#pragma once

#include <QWidget>

class QLabel;

// The start-up picture: a borderless, translucent 570 x 330 window centred on the desktop, shown while the
// main window is being built and never again. The start-up routine decides how long it stays.
class TSplashDlg : public QWidget
{
public:
    // Becomes SplashDlg until it is destroyed.
    explicit TSplashDlg(QWidget* parent = nullptr);
    ~TSplashDlg() override;

    QLabel* Image1; // the picture, at (0, 0) and sized to it; owned by the window
};

// The splash while one exists, otherwise nullptr.
extern TSplashDlg* SplashDlg;
